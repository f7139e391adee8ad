// HTTP request framing and answers. The manager's clients are not strict
// HTTP peers: lines may end in a bare line feed, the Basic credentials may be
// broken by carriage return and line feed every 76 characters, and on the
// login port every request ends with a zero byte, the login request having
// no empty line at all.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/text.h"

namespace sim {

struct HttpRequest {
  std::string method;  // as sent; compare without regard to case
  std::string target;
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
};

enum class Framing {
  kNeedMore,  // no complete request yet
  kComplete,  // a request was read; `consumed` bytes belong to it
  kBad,       // malformed: answer 400 and close
  kTooLarge,  // header block or announced body above the limits: 413, close
};

struct FramingLimits {
  size_t maxHeaderBytes = 16 * 1024;
  size_t maxBodyBytes = 4 * 1024 * 1024;
};

// Frames one request at the front of `buffer`. The body is as long as its
// Content-Length says, and empty without one. With `nulEndsRequest` a zero
// byte ends a header block that has no empty line, and the zero byte that
// follows a request is taken with it.
Framing FrameRequest(std::string_view buffer, bool nulEndsRequest,
                     const FramingLimits& limits, HttpRequest& request,
                     size_t& consumed, std::string& problem);

// The value of the first header named `name` (without regard to case).
std::optional<std::string> HeaderValue(const HttpRequest& request,
                                       std::string_view name);

// A complete answer: status line, the given header lines (each "Name: value"),
// Content-Length, an empty line and the body. Lines end in CR LF.
std::string HttpAnswer(std::string_view statusLine,
                       const std::vector<std::string>& headers,
                       std::string_view body);

}  // namespace sim
