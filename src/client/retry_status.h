// Which answers ask for the request to be sent again, and how long to wait
// before that.
#pragma once

#include <cstdint>
#include <string_view>

namespace emclient {

// The status of an answer that asks for a retry, else 0. Strict judging
// knows every retry-worthy status (and 666666 for an HTML page, 666667 for
// an empty answer); otherwise only 18034 asks for one.
int retryStatus(std::string_view response, bool strict);

// The pause before retrying after `status`, in milliseconds.
uint32_t retryPause(int status);

}  // namespace emclient
