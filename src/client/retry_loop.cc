#include "client/retry_loop.h"

#include "client/debug_log.h"
#include "client/emclient_api.h"
#include "client/exchange_deadline.h"
#include "client/retry_status.h"
#include "platform/clock.h"

namespace emclient {

int retryWhileAsked(Layer layer, int retryCount, std::string& response,
                    const std::function<int(std::string&)>& exchangeAgain) {
  constexpr int kDefaultRetries = 6;
  const int retries = retryCount > 0 ? retryCount : kDefaultRetries;
  const bool strict = retryCount != 0;
  int status = retryStatus(response, strict);
  for (int made = 0; status != 0 && made < retries; ++made) {
    trace(layer, 2,
          " ** Retrying to send the command due to a server condition.");
    platform::pause(boundedWait(retryPause(status)));
    if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_RECEIVE_ERROR); stop != 0) {
      return stop;
    }
    if (int result = exchangeAgain(response); result != 0) return result;
    status = retryStatus(response, strict);
  }
  return 0;
}

}  // namespace emclient
