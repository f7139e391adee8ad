// A small server on a loopback address for the client library's tests: it
// accepts connections one after another on a thread of its own and hands
// each to the test's session function.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace emclient_test {

class LoopbackServer {
 public:
  using Session = std::function<void(int descriptor)>;

  // Listens on `address`:`port` at once, so a client may connect before
  // the session function is given.
  LoopbackServer(const std::string& address, uint16_t port);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool listening() const { return listener_ >= 0; }

  // Serves every connection with `session`, then closes it. Destroying the
  // server ends a session still waiting on its connection.
  void start(Session session);

  // The connections accepted so far.
  int accepted() const { return accepted_; }

  // The requests the sessions recorded, in order.
  void record(std::string request);
  std::vector<std::string> requests();

 private:
  int listener_ = -1;
  std::atomic<int> accepted_{0};
  std::atomic<bool> stopping_{false};
  std::atomic<int> current_{-1};  // the connection being served
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

// Reads one HTTP request: its header lines, then the bytes its
// Content-Length announces. Empty when the peer closed first.
std::string readHttpRequest(int descriptor);

// Reads up to and without the zero byte that ends a request of the ELM
// path; empty when the peer closed first.
std::string readUntilZero(int descriptor);

void writeAll(int descriptor, std::string_view bytes);

// An HTTP answer of the 12301 path carrying `payload` (escaped here).
std::string textTransportAnswer(std::string_view payload);

// An HTTP answer with `body` and a Content-Length.
std::string httpAnswer(std::string_view body);

// A session of the 12301 path: records every request of the kept
// connection and answers it with `answer(index of the request, request)`.
using Answerer = std::function<std::string(int index, const std::string&)>;
LoopbackServer::Session textTransportSession(LoopbackServer& server,
                                             Answerer answer);

// How an ELM-path server behaves.
struct ElmScript {
  std::string key = std::string(20, 'K') + "abcd" + std::string(32, 'k');
  bool giveKey = true;
  std::string page;  // replaces the whole login page when not empty
  bool grant = true;
  std::string cookie = std::string(56, 'C');
  std::string answer = "HTTP/1.1 200 OK\r\n\r\n<?xml version=\"1.0\"?><done/>";
};

// A session of the ELM path: reads one request up to its zero byte,
// records it and answers as the script says (the login page, the login
// answer or the request's answer), then closes.
LoopbackServer::Session elmSession(LoopbackServer& server,
                                   const ElmScript& script);

}  // namespace emclient_test
