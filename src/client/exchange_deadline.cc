#include "client/exchange_deadline.h"

#include <algorithm>
#include <cerrno>

#include "client/emclient_api.h"
#include "client/os_error.h"
#include "client/settings.h"
#include "platform/clock.h"
#include "platform/interruption.h"

namespace emclient {
namespace {

bool running = false;
bool bounded = false;
uint32_t endTick = 0;  // of the monotonic clock, which wraps

uint32_t millisecondsLeft() {
  auto left = static_cast<int32_t>(endTick - platform::clock().tickCount());
  return left > 0 ? static_cast<uint32_t>(left) : 0;
}

}  // namespace

ExchangeDeadline::ExchangeDeadline() : outermost_(!running) {
  if (!outermost_) return;
  running = true;
  int timeout = requestTimeout();
  bounded = timeout > 0;
  endTick = platform::clock().tickCount() + static_cast<uint32_t>(timeout);
}

ExchangeDeadline::~ExchangeDeadline() {
  if (outermost_) running = false;
}

int stopBeforeWait(int interruptedResult) {
  if (platform::interrupted()) {
    rememberOsError(EINTR);
    return interruptedResult;
  }
  if (running && bounded && millisecondsLeft() == 0) {
    rememberOsError(ETIMEDOUT);
    return EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR;
  }
  return EMCLIENTAPI_SUCCESS;
}

uint32_t boundedWait(uint32_t milliseconds) {
  if (!running || !bounded) return milliseconds;
  return std::min(milliseconds, millisecondsLeft());
}

}  // namespace emclient
