// One exchange with the manager that never keeps the prompt waiting: it
// gives up when no answer has come within a second.
#pragma once

#include <string>

namespace request {

// Sends the complete request text through the client library and keeps
// the answer it hands out (as EMClientAPITNGSendRequest does) in `answer`.
// Prints nothing and makes no retries of the shell's own. 0, or the
// library's result code; a manager that accepts and stays silent gives the
// receive timeout.
int quickExchange(const char* request, std::string& answer);

}  // namespace request
