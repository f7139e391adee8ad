// The last failure of TLS to a manager: its result code, and the line
// that names the manager and the reason in the code's text.
#pragma once

#include <string>

#include "platform/tls.h"

namespace emclient {

// The result code of `error` (an EMCLIENTAPITLS code); remembers the
// reason and `manager` ("https://host:port") for the error text.
int tlsFailure(const platform::TlsError& error, const std::string& manager);

// True for the EMCLIENTAPITLS codes.
bool isTlsCode(int code);

// "Manager https://host:port: reason\n" for the last failure; empty when
// there was none.
std::string tlsFailureLine();

}  // namespace emclient
