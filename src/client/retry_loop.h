// The library's own retries of an answer that asks for one.
#pragma once

#include <functional>
#include <string>

#include "client/settings.h"

namespace emclient {

// While `response` asks for a retry (strictly judged when `retryCount` is
// not 0) and fewer than the retry number (`retryCount` when positive, else
// 6) were made: pauses as the status asks, then calls `exchangeAgain`,
// which restores the request and replaces `response`. Returns 0, or the
// failure of an exchange; a pause ended by the request's bound or an
// interruption is not followed by another exchange (111, or 109). The last
// answer stays in `response` even when it still asks for a retry.
int retryWhileAsked(Layer layer, int retryCount, std::string& response,
                    const std::function<int(std::string&)>& exchangeAgain);

}  // namespace emclient
