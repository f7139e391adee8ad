#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>

#include "sim/exchange.h"

namespace sim {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr int kLingerMs = 1000;   // draining a closed exchange
constexpr int kSplitPauseMs = 5;  // between the pieces of a split answer

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool Listen(const std::string& address, int& port, int& fd,
            std::string& error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
    error = "not an IPv4 address: " + address;
    return false;
  }
  fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (fd < 0 ||
      bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
      listen(fd, 64) != 0) {
    error = "cannot listen on " + address + ":" + std::to_string(port) + ": " +
            std::strerror(errno);
    return false;
  }
  socklen_t length = sizeof where;
  getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
  port = ntohs(where.sin_port);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return true;
}

std::string Peer(int fd) {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
    return "?";
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
}

}  // namespace

Server::Server(Service& service, ServerOptions options)
    : service_(service), options_(std::move(options)) {}

Server::~Server() {
  Reap(true);
  for (int fd : {textListener_, elmListener_, stopPipe_[0], stopPipe_[1]}) {
    if (fd >= 0) close(fd);
  }
}

bool Server::Start(std::string& error) {
  in_addr parsed{};
  if (inet_pton(AF_INET, options_.address.c_str(), &parsed) != 1 ||
      (ntohl(parsed.s_addr) >> 24) != 127) {
    error =
        "the simulator listens on loopback addresses (127.x.x.x) only, not " +
        options_.address;
    return false;
  }
  if (pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  textPort_ = options_.textPort;
  elmPort_ = options_.elmPort;
  if (textPort_ >= 0 &&
      !Listen(options_.address, textPort_, textListener_, error)) {
    return false;
  }
  if (elmPort_ >= 0 &&
      !Listen(options_.address, elmPort_, elmListener_, error)) {
    return false;
  }
  return true;
}

void Server::Stop() {
  char byte = 1;
  // The pipe is never read: once written, it stays readable for every poll.
  ssize_t ignored = write(stopPipe_[1], &byte, 1);
  (void)ignored;
}

void Server::Run() {
  while (true) {
    pollfd fds[3] = {{stopPipe_[0], POLLIN, 0},
                     {textListener_, POLLIN, 0},
                     {elmListener_, POLLIN, 0}};
    int ready = poll(fds, 3, 1000);
    if (ready < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) break;
    if (fds[1].revents & POLLIN) Accept(textListener_, Port::kText);
    if (fds[2].revents & POLLIN) Accept(elmListener_, Port::kElm);
    Reap(false);
  }
  for (int* listener : {&textListener_, &elmListener_}) {
    if (*listener >= 0) close(*listener);
    *listener = -1;
  }
  Reap(true);
}

void Server::Accept(int listener, Port port) {
  while (true) {
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    std::lock_guard lock(connectionsMutex_);
    if (Occupied() >= options_.maxConnections && !CloseLongestIdle()) {
      service_.Log("refused a connection: too many open");
      close(fd);
      continue;
    }
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    Connection& connection = connections_.emplace_back();
    connection.fd = fd;
    connection.thread = std::thread([this, port, &connection] {
      Serve(connection, port);
      connection.done = true;
    });
  }
}

int Server::Occupied() const {
  int occupied = 0;
  for (const Connection& connection : connections_) {
    if (!connection.done && !connection.evicted) ++occupied;
  }
  return occupied;
}

// Kept connections that only wait would otherwise lock everyone else out
// until their idle timeout; one busy with a request, or new and not yet
// heard from (its request timeout is short), keeps its place.
bool Server::CloseLongestIdle() {
  Connection* longest = nullptr;
  for (Connection& connection : connections_) {
    if (connection.done || connection.evicted || connection.fd < 0 ||
        connection.idleSince < 0) {
      continue;
    }
    if (longest == nullptr || connection.idleSince < longest->idleSince) {
      longest = &connection;
    }
  }
  if (longest == nullptr) return false;
  // Its thread sees the end of the stream at once and closes it.
  shutdown(longest->fd, SHUT_RDWR);
  longest->evicted = true;
  service_.Log("closed the longest-idle connection to make room");
  return true;
}

void Server::MarkIdle(Connection& connection, bool idle) {
  std::lock_guard lock(connectionsMutex_);
  connection.idleSince = idle ? NowMs() : -1;
}

void Server::Reap(bool all) {
  // Joined without the lock, which a thread still running takes.
  std::list<Connection> ended;
  {
    std::lock_guard lock(connectionsMutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      auto next = std::next(it);
      if (all || it->done) ended.splice(ended.end(), connections_, it);
      it = next;
    }
  }
  for (Connection& connection : ended) {
    if (connection.thread.joinable()) connection.thread.join();
  }
}

// Waits until `fd` is ready for `events`; false on timeout, error or stop.
bool Server::WaitFor(int fd, short events, int timeoutMs) {
  pollfd fds[2] = {{fd, events, 0}, {stopPipe_[0], POLLIN, 0}};
  while (true) {
    int ready = poll(fds, 2, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || fds[1].revents != 0) return false;
    return true;
  }
}

bool Server::Send(int fd, const Reply& reply) {
  if (reply.delayMs > 0) {
    pollfd stop{stopPipe_[0], POLLIN, 0};
    if (poll(&stop, 1, reply.delayMs) != 0) return false;
  }
  size_t total = reply.bytes.size();
  if (reply.stall) {
    size_t headerEnd = reply.bytes.find("\r\n\r\n");
    if (headerEnd != std::string::npos) total = headerEnd + 4;
  }
  size_t piece = reply.splitBytes > 0 ? reply.splitBytes : total;
  int gapMs = reply.pieceGapMs > 0 ? reply.pieceGapMs : kSplitPauseMs;
  size_t sent = 0;
  while (sent < total) {
    size_t end = std::min(total, sent + piece);
    while (sent < end) {
      ssize_t n = send(fd, reply.bytes.data() + sent, end - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (!WaitFor(fd, POLLOUT, options_.requestTimeoutMs)) return false;
      } else {
        return false;
      }
    }
    if (reply.splitBytes > 0 && sent < total) {
      pollfd stop{stopPipe_[0], POLLIN, 0};
      if (poll(&stop, 1, gapMs) != 0) return false;
    }
  }
  return !reply.stall || HoldUntilClosed(fd);
}

// A stalled reply keeps the connection, reading and dropping whatever the
// client still sends, until the client closes it or the server stops.
bool Server::HoldUntilClosed(int fd) {
  char sink[4096];
  while (WaitFor(fd, POLLIN, -1)) {
    ssize_t n = recv(fd, sink, sizeof sink, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
  }
  return false;
}

void Server::Serve(Connection& connection, Port port) {
  const int fd = connection.fd;
  bool elm = port == Port::kElm;
  std::string peer = Peer(fd);
  std::string buffer;
  // A new connection has the request timeout to send its first request.
  int64_t requestStart = NowMs();
  bool served = false;
  bool idle = false;
  bool graceful = true;
  while (true) {
    HttpRequest request;
    size_t consumed = 0;
    std::string problem;
    Framing framing = buffer.empty()
                          ? Framing::kNeedMore
                          : FrameRequest(buffer, elm, options_.limits, request,
                                         consumed, problem);
    if (framing == Framing::kComplete) {
      buffer.erase(0, consumed);
      requestStart = NowMs();
      served = true;
      Reply reply = elm ? AnswerElmPort(service_, request)
                        : AnswerTextPort(service_, request);
      if (reply.dropSilently) {
        graceful = false;
        break;
      }
      if (!Send(fd, reply) || reply.close) break;
      continue;
    }
    if (framing != Framing::kNeedMore) {
      service_.Log((elm ? "2301 " : "12301 ") + peer +
                   " unreadable request: " + problem);
      Send(fd, AnswerUnreadable(framing == Framing::kTooLarge));
      break;
    }
    // Between requests a kept connection may idle; one that never sent
    // anything must not hold a place for that long.
    int timeout = options_.idleTimeoutMs;
    if (!buffer.empty() || !served) {
      timeout = static_cast<int>(std::max<int64_t>(
          0, requestStart + options_.requestTimeoutMs - NowMs()));
    } else if (!idle) {
      idle = true;
      MarkIdle(connection, true);
    }
    if (!WaitFor(fd, POLLIN, timeout)) {
      if (!buffer.empty()) {
        service_.Log((elm ? "2301 " : "12301 ") + peer +
                     " request not complete in time");
        Send(fd, Reply{HttpAnswer("HTTP/1.1 408 Request Timeout",
                                  {"Connection: close"}, ""),
                       true});
      } else if (!served) {
        service_.Log((elm ? "2301 " : "12301 ") + peer + " no request in time");
      }
      break;
    }
    char chunk[kReadChunk];
    ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      graceful = false;
      break;
    }
    if (buffer.empty()) requestStart = NowMs();
    buffer.append(chunk, static_cast<size_t>(n));
    if (idle) {
      idle = false;
      MarkIdle(connection, false);
    }
  }
  if (graceful) {
    // Read what the client still sends (the zero byte after a login-port
    // request) so that closing does not reset the connection under it.
    shutdown(fd, SHUT_WR);
    int64_t until = NowMs() + kLingerMs;
    char sink[4096];
    while (NowMs() < until &&
           WaitFor(fd, POLLIN, static_cast<int>(until - NowMs()))) {
      ssize_t n = recv(fd, sink, sizeof sink, 0);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
    }
  }
  {
    // No longer to be closed to make room: the number may be reused.
    std::lock_guard lock(connectionsMutex_);
    connection.fd = -1;
  }
  close(fd);
}

}  // namespace sim
