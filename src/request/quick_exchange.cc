#include "request/quick_exchange.h"

#include <cstdlib>

#include "client/emclient_api.h"

namespace request {
namespace {

constexpr int kPatienceMilliseconds = 1000;

}  // namespace

// The whole exchange (connect, the library's own retries and logins, the
// answer) runs against one bound, which the command's own bound, when it
// is shorter, keeps.
int quickExchange(const char* request, std::string& answer) {
  int previous = EMClientAPITNGSetRequestTimeout(kPatienceMilliseconds);
  if (previous > 0 && previous < kPatienceMilliseconds) {
    EMClientAPITNGSetRequestTimeout(previous);
  }
  char* response = nullptr;
  int length = 0;
  int code = EMClientAPITNGSendRequest(request, &response, &length, 0);
  EMClientAPITNGSetRequestTimeout(previous);
  answer.clear();
  if (response != nullptr)
    answer.assign(response, static_cast<std::size_t>(length));
  std::free(response);
  return code;
}

}  // namespace request
