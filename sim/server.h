// The listening side: both ports on one loopback address (IPv4, or ::1),
// in clear or both over TLS, a thread per connection, and a stop that any
// thread or signal handler may ask for.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "sim/http.h"
#include "sim/service.h"
#include "sim/tls.h"

namespace sim {

class Channel;
struct Reply;

struct ServerOptions {
  std::string address = "127.0.0.1";
  int textPort = 12301;  // 0 picks a free port; -1 switches the port off
  int elmPort = 2301;
  int requestTimeoutMs = 10000;  // first byte to last byte of one request,
                                 // and a new connection to its first byte
  int idleTimeoutMs = 3600000;   // between requests on a kept connection
  int maxConnections = 64;       // when all are open, the longest-idle kept one
                                 // is closed for a new one
  FramingLimits limits;
  TlsFiles tls;  // both ports over TLS when on
};

class Server {
 public:
  Server(Service& service, ServerOptions options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and listens on the ports that are on. False, with `error` set,
  // when an address or port cannot be had.
  bool Start(std::string& error);
  // The ports actually listening (-1 when off).
  int textPort() const { return textPort_; }
  int elmPort() const { return elmPort_; }

  // Accepts and serves until Stop(); returns once every connection closed.
  void Run();
  // Safe from any thread and from a signal handler.
  void Stop();

 private:
  enum class Port { kText, kElm };
  // The fields but `done` are guarded by connectionsMutex_.
  struct Connection {
    std::thread thread;
    std::atomic<bool> done{false};
    int fd = -1;             // -1 once its thread closed it
    int64_t idleSince = -1;  // waiting for a next request since; -1: not
    bool evicted = false;    // closed to make room, its thread ending
  };

  void Accept(int listener, Port port);
  void Serve(Connection& connection, Port port);
  // The conversation of Serve, which then closes the socket.
  void Converse(Connection& connection, Port port);
  bool Handshake(Channel& channel, const std::string& where);
  // False once the connection was closed to make room: a request that
  // came meanwhile is not served.
  bool MarkIdle(Connection& connection, bool idle);
  // Connections that hold a place: neither ended nor closed to make room.
  int Occupied() const;
  // Closes the connection that has waited longest for its next request,
  // if any does; connectionsMutex_ held.
  bool CloseLongestIdle();
  bool Send(Channel& channel, const Reply& reply);
  bool HoldUntilClosed(Channel& channel);
  bool WaitFor(int fd, short events, int timeoutMs);
  // Waits to read, at once when TLS holds plain bytes already.
  bool WaitToRead(Channel& channel, int timeoutMs);
  void Reap(bool all);

  Service& service_;
  ServerOptions options_;
  TlsServer tls_;
  int textListener_ = -1;
  int elmListener_ = -1;
  int textPort_ = -1;
  int elmPort_ = -1;
  int stopPipe_[2] = {-1, -1};
  std::mutex connectionsMutex_;
  std::list<Connection> connections_;
};

}  // namespace sim
