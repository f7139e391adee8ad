#include "sim/http.h"

#include <cctype>

namespace sim {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool ParseRequestLine(std::string_view line, HttpRequest& request) {
  size_t first = line.find(' ');
  if (first == std::string_view::npos) return false;
  size_t second = line.find(' ', first + 1);
  if (second == std::string_view::npos) return false;
  request.method = std::string(line.substr(0, first));
  request.target = std::string(line.substr(first + 1, second - first - 1));
  request.version = std::string(Trim(line.substr(second + 1)));
  if (request.method.empty() || request.target.empty() ||
      !request.version.starts_with("HTTP/")) {
    return false;
  }
  for (char c : request.method) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// Reads the header block. Returns kComplete with `bodyStart` set, or
// kNeedMore when the block has not ended yet.
Framing ReadHeaders(std::string_view buffer, bool nulEndsRequest,
                    HttpRequest& request, size_t& bodyStart, bool& endedByNul,
                    std::string& problem) {
  size_t at = 0;
  bool firstLine = true;
  bool inCredentials = false;      // the previous line held Basic credentials
  bool credentialsBroken = false;  // ... and ended in a carriage return
  while (true) {
    size_t lineEnd = buffer.find('\n', at);
    size_t nul =
        nulEndsRequest ? buffer.find('\0', at) : std::string_view::npos;
    if (nul != std::string_view::npos &&
        (lineEnd == std::string_view::npos || nul < lineEnd)) {
      // The login request ends with the zero byte and no empty line.
      if (firstLine || nul != at) {
        problem = "zero byte inside a header line";
        return Framing::kBad;
      }
      bodyStart = nul + 1;
      endedByNul = true;
      return Framing::kComplete;
    }
    if (lineEnd == std::string_view::npos) return Framing::kNeedMore;
    std::string_view raw = buffer.substr(at, lineEnd - at);
    at = lineEnd + 1;
    bool endsInReturn = !raw.empty() && raw.back() == '\r';
    std::string_view line = endsInReturn ? raw.substr(0, raw.size() - 1) : raw;
    if (firstLine) {
      if (!ParseRequestLine(line, request)) {
        problem = "malformed request line";
        return Framing::kBad;
      }
      firstLine = false;
      continue;
    }
    if (inCredentials && credentialsBroken && (raw.empty() || !line.empty()) &&
        line.find(':') == std::string_view::npos) {
      // Base64 credentials broken after 76 characters: a bare line feed ends
      // them, anything else continues them.
      if (raw.empty()) {
        inCredentials = false;
        continue;
      }
      request.headers.back().second += std::string(Trim(line));
      credentialsBroken = endsInReturn;
      continue;
    }
    if (line.empty()) {
      bodyStart = at;
      endedByNul = false;
      return Framing::kComplete;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
      problem = "malformed header line";
      return Framing::kBad;
    }
    std::string name(Trim(line.substr(0, colon)));
    request.headers.emplace_back(name,
                                 std::string(Trim(line.substr(colon + 1))));
    inCredentials = EqualsIgnoringCase(name, "Authorization");
    credentialsBroken = inCredentials && endsInReturn;
  }
}

}  // namespace

std::optional<std::string> HeaderValue(const HttpRequest& request,
                                       std::string_view name) {
  for (const auto& [headerName, value] : request.headers) {
    if (EqualsIgnoringCase(headerName, name)) return value;
  }
  return std::nullopt;
}

Framing FrameRequest(std::string_view buffer, bool nulEndsRequest,
                     const FramingLimits& limits, HttpRequest& request,
                     size_t& consumed, std::string& problem) {
  request = HttpRequest{};
  size_t bodyStart = 0;
  bool endedByNul = false;
  Framing headers = ReadHeaders(buffer, nulEndsRequest, request, bodyStart,
                                endedByNul, problem);
  if (headers == Framing::kNeedMore) {
    if (buffer.size() > limits.maxHeaderBytes) {
      problem = "header block too large";
      return Framing::kTooLarge;
    }
    return headers;
  }
  if (headers != Framing::kComplete) return headers;
  if (bodyStart > limits.maxHeaderBytes + 1) {
    problem = "header block too large";
    return Framing::kTooLarge;
  }
  if (endedByNul) {
    consumed = bodyStart;
    return Framing::kComplete;
  }
  size_t length = 0;
  bool haveLength = false;
  for (const auto& [name, value] : request.headers) {
    if (!EqualsIgnoringCase(name, "Content-Length")) continue;
    if (value.empty() || value.size() > 12) {
      problem = "malformed Content-Length";
      return Framing::kBad;
    }
    size_t parsed = 0;
    for (char c : value) {
      if (!std::isdigit(static_cast<unsigned char>(c))) {
        problem = "malformed Content-Length";
        return Framing::kBad;
      }
      parsed = parsed * 10 + static_cast<size_t>(c - '0');
    }
    if (haveLength && parsed != length) {
      problem = "conflicting Content-Length headers";
      return Framing::kBad;
    }
    length = parsed;
    haveLength = true;
  }
  // A request without a length has no body, so a standard client's GET is
  // answered at once.
  consumed = bodyStart;
  if (haveLength) {
    if (length > limits.maxBodyBytes) {
      problem = "announced body too large";
      return Framing::kTooLarge;
    }
    std::string_view rest = buffer.substr(bodyStart);
    if (rest.size() < length) return Framing::kNeedMore;
    request.body = std::string(rest.substr(0, length));
    consumed += length;
  }
  // The zero byte that ends every request on the login port.
  if (nulEndsRequest && buffer.size() > consumed && buffer[consumed] == '\0') {
    ++consumed;
  }
  return Framing::kComplete;
}

std::string HttpAnswer(std::string_view statusLine,
                       const std::vector<std::string>& headers,
                       std::string_view body) {
  std::string text(statusLine);
  text += "\r\n";
  for (const std::string& header : headers) text += header + "\r\n";
  text += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  text += body;
  return text;
}

}  // namespace sim
