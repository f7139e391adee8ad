#include "request/quick_exchange.h"

#include <cstdlib>

#include "client/emclient_api.h"
#include "client/settings.h"

namespace request {
namespace {

// The library waits 2 x timeoutSeconds steps of a quarter second.
constexpr int kTimeoutSeconds = 2;

}  // namespace

// A connection keeps the waits it was opened with, so the pooled ones are
// closed before the exchange, which then opens one with the short waits,
// and after it, so that no command inherits them.
int quickExchange(const char* request, std::string& answer) {
  emclient::LayerSettings* layers[] = {
      &emclient::settings(emclient::Layer::kFront),
      &emclient::settings(emclient::Layer::kElm)};
  const emclient::LayerSettings before[] = {*layers[0], *layers[1]};
  EMClientAPITNGCloseConnections();
  for (emclient::LayerSettings* layer : layers) {
    layer->waitForever = 0;
    layer->timeoutSeconds = kTimeoutSeconds;
  }
  char* response = nullptr;
  int length = 0;
  int code = EMClientAPITNGSendRequest(request, &response, &length, 0);
  EMClientAPITNGCloseConnections();
  for (int i = 0; i < 2; ++i) {
    layers[i]->waitForever = before[i].waitForever;
    layers[i]->timeoutSeconds = before[i].timeoutSeconds;
  }
  answer.clear();
  if (response != nullptr)
    answer.assign(response, static_cast<std::size_t>(length));
  std::free(response);
  return code;
}

}  // namespace request
