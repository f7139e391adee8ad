#include "client/client_request.h"

#include "client/protocol_names.h"
#include "client/text_search.h"

namespace emclient {
namespace {

constexpr std::string_view kHostMarker = kHostHeader;

struct HostLine {
  std::size_t hostBegin;  // just after "Host:"
  std::size_t colon;      // the host's colon, or lineEnd when none
  std::size_t lineEnd;    // the "\n" (or the end of the text)
};

// The host is searched for within its own line, so a line without a port
// never takes a colon of the body for its end.
std::optional<HostLine> findHostLine(std::string_view text) {
  std::size_t start = findMarker(text, kHostMarker);
  if (start == kNotFound) return std::nullopt;
  HostLine line{};
  line.hostBegin = start + kHostMarker.size();
  line.lineEnd = text.find('\n', line.hostBegin);
  if (line.lineEnd == kNotFound) line.lineEnd = text.size();
  // An IPv6 address is in brackets, so its own colons end nothing.
  std::size_t hostEnd = line.hostBegin;
  if (hostEnd < line.lineEnd && text[hostEnd] == '[') {
    std::size_t close = text.substr(0, line.lineEnd).find(']', hostEnd);
    if (close != kNotFound) hostEnd = close + 1;
  }
  line.colon = text.substr(0, line.lineEnd).find(':', hostEnd);
  if (line.colon == kNotFound) line.colon = line.lineEnd;
  return line;
}

}  // namespace

void ClientRequest::setText(std::string text) {
  text_ = std::move(text);
  kept_ = false;
}

const std::string& ClientRequest::host() {
  takeHostAndPort();
  return host_;
}

const std::string& ClientRequest::port() {
  takeHostAndPort();
  return portOverride_.empty() ? port_ : portOverride_;
}

void ClientRequest::takeHostAndPort() {
  if (kept_) return;
  kept_ = true;
  host_.clear();
  port_.clear();
  std::optional<HostLine> line = findHostLine(text_);
  if (!line) return;
  host_ = text_.substr(line->hostBegin, line->colon - line->hostBegin);
  if (line->colon < line->lineEnd) {
    port_ = text_.substr(line->colon + 1, line->lineEnd - line->colon - 1);
    if (!port_.empty() && port_.back() == '\r') port_.pop_back();
  }
}

std::string withHostPort(const std::string& text, const std::string& port) {
  std::optional<HostLine> line = findHostLine(text);
  if (!line) return text;
  std::string result = text.substr(0, line->colon);
  result += ":" + port + "\n";
  if (line->lineEnd < text.size()) result += text.substr(line->lineEnd + 1);
  return result;
}

}  // namespace emclient
