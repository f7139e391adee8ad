// Time and sleep. Every pause and every clock read of the program goes
// through the installed Clock, so tests can replace it with a fake one.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Pauses the calling thread; the system clock's pause ends early when
  // an interruption arrives (platform/interruption.h).
  virtual void sleepMilliseconds(uint32_t milliseconds) = 0;
  // A 32-bit millisecond count of a monotonic clock; it wraps.
  virtual uint32_t tickCount() = 0;
  // Seconds since the epoch, for local-time displays.
  virtual std::time_t wallTime() = 0;
};

// The clock in force: the system clock unless a test installed another.
Clock& clock();

// Installs `replacement` (not owned); nullptr restores the system clock.
void installClock(Clock* replacement);

// Flushes every output stream, then sleeps through the installed clock, so
// whatever was printed before a pause is visible during it. Once an
// interruption is recorded it does not sleep at all.
void pause(uint32_t milliseconds);

// The local time of `when` in the fixed 24-character layout
// "Thu Dec 10 03:53:56 2026".
std::string localTimeText(std::time_t when);

}  // namespace platform
