// A test client for pelk-sim: requests written the way PELK's client
// library writes them, on real sockets to a loopback address.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/server.h"
#include "sim/service.h"

namespace simtest {

// One TCP connection; closed when destroyed.
class Connection {
 public:
  Connection(const std::string& address, int port);
  ~Connection();
  bool ok() const { return fd_ >= 0; }
  bool Send(std::string_view bytes);
  // One HTTP answer, read up to its Content-Length (empty on close/error).
  std::string ReadAnswer(int timeoutMs = 5000);
  // What one read returns (empty on timeout or close).
  std::string ReadSome(int timeoutMs = 5000);
  // Bytes read already go back in front of what the next read gets.
  void PutBack(std::string_view bytes) { pending_.insert(0, bytes); }
  // Everything until the server closes.
  std::string ReadUntilClosed(int timeoutMs = 5000);
  // Whether the server closed the connection within the time.
  bool ClosedByPeer(int timeoutMs = 5000);
  void Abort();  // closes at once with a reset

 private:
  int fd_ = -1;
  std::string pending_;
};

// The request envelopes of both dialects, as the shell builds them.
std::string V1Envelope(
    std::string_view operation, std::string_view type,
    const std::vector<std::pair<std::string, std::string>>& properties);
std::string V3Envelope(
    std::string_view operation,
    const std::vector<std::pair<std::string, std::string>>& properties,
    std::string_view version = "3.2");

// The text-transport HTTP request around an envelope, credentials as the
// client writes them (digest form, Base64 broken every 76 characters).
std::string TextTransportRequest(std::string_view address,
                                 std::string_view envelope,
                                 std::string_view user,
                                 std::string_view password);
// The payload of a text-transport answer, unescaped ("" when absent).
std::string Payload(std::string_view answer);

// The values of every <tag> in `xml`, in order.
std::vector<std::string> Values(std::string_view xml, std::string_view tag);

// Port 2301: the session-key handshake; the session cookie or "".
std::string ElmLogin(const std::string& address, std::string_view user,
                     std::string_view password);
// A request with the cookie, on its own connection; the whole answer.
std::string ElmRequest(const std::string& address, std::string_view cookie,
                       std::string_view path, std::string_view envelope);

// A server on `address` with the demo scenario, running on its own thread.
class RunningServer {
 public:
  explicit RunningServer(const std::string& address,
                         sim::ServerOptions options = {});
  ~RunningServer();
  sim::Service& service() { return *service_; }
  const std::string& address() const { return address_; }
  int textPort() const { return server_->textPort(); }
  int elmPort() const { return server_->elmPort(); }
  // A text-transport exchange on a fresh connection; the payload.
  std::string Text(std::string_view envelope,
                   std::string_view user = "administrator",
                   std::string_view password = "admin");
  // A control request on port 12301; the answer's body.
  std::string Control(std::string_view method, std::string_view target,
                      std::string_view body = "");

 private:
  std::string address_;
  std::unique_ptr<sim::Service> service_;
  std::unique_ptr<sim::Server> server_;
  std::unique_ptr<std::thread> thread_;
};

inline constexpr const char* kProduction =
    "1000000100000000000000000000000000000000";
inline constexpr const char* kUninitialized =
    "1000000200000000000000000000000000000000";
inline constexpr const char* kDrSite =
    "1000000300000000000000000000000000000000";

}  // namespace simtest
