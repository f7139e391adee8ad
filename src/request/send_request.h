// Sending the built request through the client library, with the shell's
// retry policy and the request/response trace.
#pragma once

#include "session/session.h"

namespace request {

// Seconds between two attempts of a retry-worthy answer.
inline constexpr unsigned kRetryPauseSeconds = 10;

// Sends the work area's requestBuffer and keeps the answer in responseText
// (an empty text when the library gave none). An answer the library calls
// retry-worthy is sent again, RETRIES x 6 times at most, with a pause of
// 10 seconds and a progress mark on standard output before each retry. 0,
// or 1 after printing the library's error text, or that the server
// answered with an HTML page; 1 without a word once an interruption is
// recorded, and then nothing is sent. With the Dump flag the request, and
// after a success the answer, are traced to the output stream.
int SendRequest(session::CommandContext& context);

}  // namespace request
