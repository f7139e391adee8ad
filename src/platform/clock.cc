#include "platform/clock.h"

#include <cstdio>

#include "platform/interruption.h"

namespace platform {
namespace {

class SystemClock final : public Clock {
 public:
  // Another signal may end a wait early; only an interruption ends the
  // pause.
  void sleepMilliseconds(uint32_t milliseconds) override {
    uint32_t start = tickCount();
    for (uint32_t slept = 0; slept < milliseconds && !interrupted();
         slept = tickCount() - start) {
      waitUnlessInterrupted(nullptr, 0, milliseconds - slept);
    }
  }

  uint32_t tickCount() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                  static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
  }

  std::time_t wallTime() override { return std::time(nullptr); }
};

SystemClock systemClock;
Clock* installed = &systemClock;

}  // namespace

Clock& clock() { return *installed; }

void installClock(Clock* replacement) {
  installed = replacement != nullptr ? replacement : &systemClock;
}

void pause(uint32_t milliseconds) {
  std::fflush(nullptr);
  if (!interrupted()) installed->sleepMilliseconds(milliseconds);
}

std::string localTimeText(std::time_t when) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed",
                                      "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr",
                                        "May", "Jun", "Jul", "Aug",
                                        "Sep", "Oct", "Nov", "Dec"};
  std::tm parts{};
  localtime_r(&when, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %4d",
                kDays[parts.tm_wday % 7], kMonths[parts.tm_mon % 12],
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                parts.tm_year + 1900);
  return text;
}

}  // namespace platform
