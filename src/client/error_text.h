// The texts of result codes: the short form for a caller's buffer and the
// long form, with the operating system's side of the failure, for the log.
#pragma once

#include <string>

namespace emclient {

// "EMClientAPI error ->\n" and the code's name and message (or the unknown
// line), ending with "\n".
std::string shortErrorText(int code);

// `text` followed by the errno of the last failing call, its system text
// and the sockets error of the same meaning.
std::string longErrorText(const std::string& text);

// Logs the long form of a code raised inside the library (level 2), as
// EMClientAPITNGGetErrorText does with a null buffer.
void reportError(int code);

}  // namespace emclient
