// The front layer's send: the pooled 12301 path, and the fallback between
// it and the ELM path on 2301.
#include "client/client_request.h"
#include "client/connection_pool.h"
#include "client/debug_log.h"
#include "client/emclient_api.h"
#include "client/error_text.h"
#include "client/exchange_deadline.h"
#include "client/front_exchange.h"
#include "client/protocol_names.h"
#include "client/response_buffer.h"

using emclient::Layer;
using emclient::trace;

extern "C" int EMClientAPITNGSendRequest(const char* text, char** response,
                                         int* responseLength, int retryCount) {
  if (response == nullptr || responseLength == nullptr) {
    emclient::reportError(EMCLIENTAPI_INVALIDPARAMETER_ERROR);
    return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
  }
  *response = nullptr;
  *responseLength = 0;
  if (text == nullptr) {
    emclient::reportError(EMCLIENTAPI_INVALIDPARAMETER_ERROR);
    return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
  }
  emclient::ExchangeDeadline deadline;
  emclient::ClientRequest request(text);
  using emclient::kElementManagerPort;
  using emclient::kManagerPort;
  if (request.port().empty()) request.overridePort(kManagerPort);

  bool elmTried = false;
  if (request.port() == kElementManagerPort) {
    elmTried = true;
    int result =
        EMClientAPISendRequest(text, response, responseLength, retryCount);
    if (result != EMCLIENTAPI_SESSIONKEYNOTFOUND_ERROR) return result;
    trace(Layer::kFront, 2,
          " ** Re-directing to 12301 (session key wasn't found on 2301)");
    request.overridePort(kManagerPort);
  }

  emclient::ConnectionPool& pool = emclient::connectionPool();
  if (request.port() != kManagerPort) pool.empty();
  if (int result = pool.bind(request.host(), request.port()); result != 0) {
    if (result != EMCLIENTAPISOCKET_CONNECT_ERROR) return result;
    if (elmTried) {
      trace(Layer::kFront, 2, " ** 2301 and 12301 failed.");
      return result;
    }
    trace(Layer::kFront, 2, " ** Re-directing to the ELM path");
    return EMClientAPISendRequest(text, response, responseLength, retryCount);
  }

  emclient::ClientConnection* connection = nullptr;
  if (int result = pool.acquire(request.host(), request.port(), connection);
      result != 0) {
    return result;
  }
  emclient::performanceMark(Layer::kFront, "Start Command");
  std::string payload;
  if (int result = emclient::exchangeWithRetries(*connection, request,
                                                 retryCount, payload);
      result != 0) {
    pool.release(*connection, true);
    return result;
  }
  int result = emclient::handOut(payload, response, responseLength);
  if (result == 0) {
    trace(Layer::kFront, 2,
          " ** The response buffer has been copied into receiving buffer");
  }
  emclient::performanceMark(Layer::kFront, "End Command");
  pool.release(*connection, false);
  return result;
}
