// Process-wide settings, one copy per layer: the front layer (pooled 12301
// path) and the older layer (the ELM path on 2301).
#pragma once

#include <cstdint>

#include "platform/tls.h"

namespace emclient {

enum class Layer { kFront, kElm };

struct LayerSettings {
  // Bounds the waits of one send or one read on a socket, not the whole
  // exchange (requestTimeout, --timeout).
  int socketWaitSeconds = 60;
  int waitForever = 0;
  int debugLevel = 0;         // 0 off, 1 requests and answers, 2 every step
  uint32_t previousTick = 0;  // of the last performance mark, 0 for none
};

LayerSettings& settings(Layer layer);

// The bound of each request's whole exchange in milliseconds, 0 for none;
// one for both layers.
int& requestTimeout();

// How every connection reaches the server: in clear, or over TLS with
// these settings. One for both layers.
struct Transport {
  bool tls = false;
  platform::TlsSettings settings;
};
Transport& transport();

// Back to the values at start, for tests.
void resetSettings();

}  // namespace emclient
