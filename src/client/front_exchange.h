// Exchanges of the 12301 path on a pooled connection.
#pragma once

#include <string>

#include "client/client_request.h"
#include "client/connection.h"

namespace emclient {

// Reads one HTTP answer: its header lines and the whole body their
// Content-Length announces; without one, everything up to the server
// closing the connection, in however many writes it comes. An answer
// without header lines ends at its "<?xml version". 0; 202 or 1000 for an
// answer without XML; a receive code (109 also for an answer announcing or
// growing past kReceiveLimit).
int receiveAnswer(ClientConnection& connection, std::string& answer);

// Sends the request in its text-transport envelope and hands back the
// answer's payload; one reopen of the connection after 107, 108 or 109,
// then the library's retries. 0 or a code (-1 for an answer without a
// payload).
int exchangeWithRetries(ClientConnection& connection, ClientRequest& request,
                        int retryCount, std::string& payload);

}  // namespace emclient
