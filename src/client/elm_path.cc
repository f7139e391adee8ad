// The older layer's path on port 2301: one connection per exchange, the
// request checked and flattened, a session-key login, the whole HTTP answer
// handed out.
#include "client/client_request.h"
#include "client/debug_log.h"
#include "client/elm_exchange.h"
#include "client/emclient_api.h"
#include "client/error_text.h"
#include "client/exchange_deadline.h"
#include "client/login.h"
#include "client/protocol_names.h"
#include "client/request_rewrite.h"
#include "client/response_buffer.h"
#include "client/retry_loop.h"

namespace emclient {
namespace {

int exchange(ClientRequest& request, std::string& response) {
  if (int result = exchangeOnElm(
          request.host(), request.port(), request.text(), response,
          {nullptr, nullptr, " ** Response from server received"});
      result != 0) {
    return result;
  }
  trace(Layer::kElm, 1, " ** Response from server ->", response);
  return 0;
}

int sendOnElmPath(const char* text, std::string& response, int retryCount) {
  std::string rewritten = withHostPort(text, kElementManagerPort);
  trace(Layer::kElm, 1, " ** Original received request from application ->",
        rewritten);
  if (int result = validateAndFlatten(rewritten); result != 0) return result;
  trace(Layer::kElm, 2, " ** Received request is valid");
  const ClientRequest original(std::move(rewritten));

  ClientRequest request = original;
  if (int result = logIn(request, true); result != 0) return result;
  trace(Layer::kElm, 2, " ** Security check successfull");
  if (int result = exchange(request, response); result != 0) return result;
  trace(Layer::kElm, 2,
        " ** Request has been sent to server and response received");

  return retryWhileAsked(Layer::kElm, retryCount, response,
                         [&](std::string& again) {
                           request = original;
                           if (int result = logIn(request, false); result != 0)
                             return result;
                           return exchange(request, again);
                         });
}

}  // namespace
}  // namespace emclient

extern "C" int EMClientAPISendRequest(const char* request, char** response,
                                      int* responseLength, int retryCount) {
  if (response == nullptr || responseLength == nullptr) {
    emclient::reportError(EMCLIENTAPI_INVALIDPARAMETER_ERROR);
    return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
  }
  *response = nullptr;
  *responseLength = 0;
  if (request == nullptr) {
    emclient::reportError(EMCLIENTAPI_INVALIDPARAMETER_ERROR);
    return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
  }
  emclient::ExchangeDeadline deadline;
  std::string answer;
  if (int result = emclient::sendOnElmPath(request, answer, retryCount);
      result != 0) {
    return result;
  }
  return emclient::handOut(answer, response, responseLength);
}
