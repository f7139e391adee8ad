// A request on its way through the library: the HTTP text and the host and
// port taken from its "Host:" line.
#pragma once

#include <string>
#include <utility>

namespace emclient {

class ClientRequest {
 public:
  explicit ClientRequest(std::string text) : text_(std::move(text)) {}

  const std::string& text() const { return text_; }

  // Replaces the text; the kept host and port are taken from it again.
  void setText(std::string text);

  // The text between "Host:" and the next colon on that line (the whole
  // rest of the line when it has none), an IPv6 address with its brackets
  // ("[fd00::5]"); empty without a "Host:" line.
  const std::string& host();

  // The port override when one is set, else the text after that colon up
  // to the line end.
  const std::string& port();

  // Makes port() give `port` whatever the text says, until restored from a
  // copy taken before.
  void overridePort(std::string port) { portOverride_ = std::move(port); }

  // Forgets the kept host and port (not the override).
  void clearKept() { kept_ = false; }

 private:
  void takeHostAndPort();

  std::string text_;
  std::string host_;
  std::string port_;
  std::string portOverride_;
  bool kept_ = false;
};

// `text` with the port of its "Host:" line replaced by `port`; unchanged
// without a "Host:" line.
std::string withHostPort(const std::string& text, const std::string& port);

}  // namespace emclient
