#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>

#include "sim/channel.h"
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

// The address as the system takes it, with `port`; false when it is
// neither an IPv4 nor an IPv6 address.
bool SocketAddressOf(const std::string& address, int port,
                     sockaddr_storage& where, socklen_t& length) {
  where = sockaddr_storage{};
  auto* v4 = reinterpret_cast<sockaddr_in*>(&where);
  if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(static_cast<uint16_t>(port));
    length = sizeof(sockaddr_in);
    return true;
  }
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&where);
  if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(static_cast<uint16_t>(port));
    length = sizeof(sockaddr_in6);
    return true;
  }
  return false;
}

int PortOf(const sockaddr_storage& where) {
  return ntohs(where.ss_family == AF_INET6
                   ? reinterpret_cast<const sockaddr_in6*>(&where)->sin6_port
                   : reinterpret_cast<const sockaddr_in*>(&where)->sin_port);
}

bool Listen(const std::string& address, int& port, int& fd,
            std::string& error) {
  sockaddr_storage where{};
  socklen_t length = 0;
  if (!SocketAddressOf(address, port, where, length)) {
    error = "not an IP address: " + address;
    return false;
  }
  fd = socket(where.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  // ::1 alone, not the IPv4 addresses mapped into IPv6 as well.
  if (where.ss_family == AF_INET6) {
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &yes, sizeof yes);
  }
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
      listen(fd, 64) != 0) {
    error = "cannot listen on " + address + ":" + std::to_string(port) + ": " +
            std::strerror(errno);
    return false;
  }
  length = sizeof where;
  getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
  port = PortOf(where);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return true;
}

std::string Peer(int fd) {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
    return "?";
  char text[INET6_ADDRSTRLEN] = "?";
  std::string shown;
  if (peer.ss_family == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&peer)->sin6_addr,
              text, sizeof text);
    shown.append("[").append(text).append("]");
  } else {
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&peer)->sin_addr, text,
              sizeof text);
    shown.append(text);
  }
  return shown.append(":").append(std::to_string(PortOf(peer)));
}

// Loopback addresses only: 127.x.x.x and ::1.
bool IsLoopback(const std::string& address) {
  in_addr v4{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  in6_addr v6{};
  return inet_pton(AF_INET6, address.c_str(), &v6) == 1 &&
         IN6_IS_ADDR_LOOPBACK(&v6);
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
  if (!IsLoopback(options_.address)) {
    error =
        "the simulator listens on loopback addresses (127.x.x.x or ::1) only, "
        "not " +
        options_.address;
    return false;
  }
  if (options_.tls.on() && !tls_.Load(options_.tls, error)) return false;
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

bool Server::MarkIdle(Connection& connection, bool idle) {
  std::lock_guard lock(connectionsMutex_);
  if (connection.evicted) return false;
  connection.idleSince = idle ? NowMs() : -1;
  return true;
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

bool Server::WaitToRead(Channel& channel, int timeoutMs) {
  return channel.Buffered() || WaitFor(channel.fd(), POLLIN, timeoutMs);
}

// The handshake has the time a new connection has for its first request.
bool Server::Handshake(Channel& channel, const std::string& where) {
  int64_t until = NowMs() + options_.requestTimeoutMs;
  while (true) {
    int step = channel.Handshake();
    if (step > 0) return true;
    if (step < 0) {
      service_.Log(where +
                   " TLS handshake failed: " + TlsFailureReason(channel.ssl()));
      return false;
    }
    int left = static_cast<int>(std::max<int64_t>(0, until - NowMs()));
    if (!WaitFor(channel.fd(), channel.Waiting(), left)) {
      service_.Log(where + " TLS handshake not complete in time");
      return false;
    }
  }
}

bool Server::Send(Channel& channel, const Reply& reply) {
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
      long n = channel.Write(reply.bytes.data() + sent, end - sent);
      if (n > 0) {
        sent += static_cast<size_t>(n);
      } else if (n == Channel::kWait) {
        if (!WaitFor(channel.fd(), channel.Waiting(),
                     options_.requestTimeoutMs)) {
          return false;
        }
      } else {
        return false;
      }
    }
    if (reply.splitBytes > 0 && sent < total) {
      pollfd stop{stopPipe_[0], POLLIN, 0};
      if (poll(&stop, 1, gapMs) != 0) return false;
    }
  }
  return !reply.stall || HoldUntilClosed(channel);
}

// A stalled reply keeps the connection, reading and dropping whatever the
// client still sends, until the client closes it or the server stops.
bool Server::HoldUntilClosed(Channel& channel) {
  char sink[4096];
  while (WaitToRead(channel, -1)) {
    long n = channel.Read(sink, sizeof sink);
    if (n == 0 || n == Channel::kFailed) break;
  }
  return false;
}

void Server::Serve(Connection& connection, Port port) {
  const int fd = connection.fd;
  Converse(connection, port);
  {
    // No longer to be closed to make room: the number may be reused.
    std::lock_guard lock(connectionsMutex_);
    connection.fd = -1;
  }
  close(fd);
}

void Server::Converse(Connection& connection, Port port) {
  const int fd = connection.fd;
  bool elm = port == Port::kElm;
  std::string peer = Peer(fd);
  std::string where = (elm ? "2301 " : "12301 ") + peer;
  SSL* session = nullptr;
  if (tls_.loaded()) {
    // A client gone before the server writes must not end the simulator:
    // libssl writes to the socket without MSG_NOSIGNAL.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    session = tls_.NewSession(fd);
    if (session == nullptr) {
      service_.Log(where + " TLS session not made");
      return;
    }
  }
  Channel channel(fd, session);
  if (!Handshake(channel, where)) return;
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
      if (!Send(channel, reply) || reply.close) break;
      continue;
    }
    if (framing != Framing::kNeedMore) {
      service_.Log(where + " unreadable request: " + problem);
      Send(channel, AnswerUnreadable(framing == Framing::kTooLarge));
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
    if (!WaitToRead(channel, timeout)) {
      if (!buffer.empty()) {
        service_.Log(where + " request not complete in time");
        Send(channel, Reply{HttpAnswer("HTTP/1.1 408 Request Timeout",
                                       {"Connection: close"}, ""),
                            true});
      } else if (!served) {
        service_.Log(where + " no request in time");
      }
      break;
    }
    // Off the idle list before anything is read, so a request never reaches
    // a connection chosen meanwhile to make room.
    if (idle) {
      idle = false;
      if (!MarkIdle(connection, false)) {
        graceful = false;
        break;
      }
    }
    char chunk[kReadChunk];
    long n = channel.Read(chunk, sizeof chunk);
    if (n == 0) break;
    if (n == Channel::kWait) continue;
    if (n < 0) {
      graceful = false;
      break;
    }
    if (buffer.empty()) requestStart = NowMs();
    buffer.append(chunk, static_cast<size_t>(n));
  }
  if (graceful) {
    // Read what the client still sends (the zero byte after a login-port
    // request) so that closing does not reset the connection under it.
    channel.EndWriting();
    int64_t until = NowMs() + kLingerMs;
    char sink[4096];
    while (NowMs() < until &&
           WaitToRead(channel, static_cast<int>(until - NowMs()))) {
      long n = channel.Read(sink, sizeof sink);
      if (n == 0 || n == Channel::kFailed) break;
    }
  }
}

}  // namespace sim
