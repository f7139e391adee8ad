// The bound of one request's whole exchange: connecting, sending and the
// complete answer, the library's own reopening and retries included. It
// starts when an entry point that sends a request is called and holds
// until it returns; the waits of the connections consult it, and an
// interruption recorded by the platform layer ends them the same way.
#pragma once

#include <cstdint>

namespace emclient {

// Starts the bound (settings' request timeout, none when 0) unless one is
// running already: the ELM path reached from the front layer counts
// against the bound of the front layer's request.
class ExchangeDeadline {
 public:
  ExchangeDeadline();
  ~ExchangeDeadline();
  ExchangeDeadline(const ExchangeDeadline&) = delete;
  ExchangeDeadline& operator=(const ExchangeDeadline&) = delete;

 private:
  bool outermost_;
};

// Whether a wait may begin: 0, or the result that ends the exchange now:
// EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR once the bound has passed, and
// `interruptedResult` when an interruption is recorded (EINTR is then
// remembered as the system's error).
int stopBeforeWait(int interruptedResult);

// `milliseconds`, cut to what is left of the bound.
uint32_t boundedWait(uint32_t milliseconds);

}  // namespace emclient
