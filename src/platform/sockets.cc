#include "platform/sockets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// A test waiter is given the wait step of a receive's countdown.
constexpr uint32_t kTestWaitStep = 250;

// A negative time waits without end.
void pollFor(SocketHandle handle, short events, int milliseconds) {
  pollfd entry{handle, events, 0};
  // An interrupted wait simply ends early; the caller tries again.
  poll(&entry, 1, milliseconds);
}

void pollReadable(SocketHandle handle, uint32_t milliseconds) {
  pollFor(handle, POLLIN, static_cast<int>(milliseconds));
}

ReadableWaiter readableWaiter = pollReadable;

}  // namespace

int openStreamSocket(bool tcp, SocketHandle& handle) {
  handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, tcp ? IPPROTO_TCP : 0);
  return handle < 0 ? errno : 0;
}

bool lookUpServicePort(const char* service, uint16_t& networkPort) {
  const servent* entry = getservbyname(service, nullptr);
  if (entry == nullptr) return false;
  networkPort = static_cast<uint16_t>(entry->s_port);
  return true;
}

bool parseDottedAddress(const char* text, uint32_t& networkAddress) {
  in_addr address{};
  if (inet_pton(AF_INET, text, &address) != 1) return false;
  networkAddress = address.s_addr;
  return true;
}

bool resolveHostName(const char* name, uint32_t& networkAddress) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
    return false;
  }
  networkAddress =
      reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

std::string dottedAddress(uint32_t networkAddress) {
  in_addr address{};
  address.s_addr = networkAddress;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

int connectSocket(SocketHandle handle, uint32_t networkAddress,
                  uint16_t networkPort) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = networkPort;
  peer.sin_addr.s_addr = networkAddress;
  while (connect(handle, reinterpret_cast<const sockaddr*>(&peer),
                 sizeof peer) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

namespace {

long receiveWith(SocketHandle handle, char* buffer, std::size_t size, int flags,
                 int& error) {
  for (;;) {
    ssize_t got = recv(handle, buffer, size, flags);
    if (got >= 0) return got;
    if (errno != EINTR) {
      error = errno == EWOULDBLOCK ? EAGAIN : errno;
      return -1;
    }
  }
}

}  // namespace

long sendSome(SocketHandle handle, const char* data, std::size_t length,
              int& error) {
  for (;;) {
    ssize_t sent = send(handle, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) return sent;
    if (errno != EINTR) {
      error = errno == EWOULDBLOCK ? EAGAIN : errno;
      return -1;
    }
  }
}

long receiveSome(SocketHandle handle, char* buffer, std::size_t size,
                 int& error) {
  return receiveWith(handle, buffer, size, MSG_DONTWAIT, error);
}

// A blocking receive is one system call where a wait and a receive would
// be two. A socket someone made non-blocking still answers EAGAIN: the
// wait then goes through poll.
long receiveWaiting(SocketHandle handle, char* buffer, std::size_t size,
                    int& error) {
  for (;;) {
    if (readableWaiter == pollReadable) {
      long got = receiveWith(handle, buffer, size, 0, error);
      if (got >= 0 || error != EAGAIN) return got;
      pollFor(handle, POLLIN, -1);
      continue;
    }
    readableWaiter(handle, kTestWaitStep);
    long got = receiveWith(handle, buffer, size, MSG_DONTWAIT, error);
    if (got >= 0 || error != EAGAIN) return got;
  }
}

void waitReadable(SocketHandle handle, uint32_t milliseconds) {
  readableWaiter(handle, milliseconds);
}

void waitWritable(SocketHandle handle, uint32_t milliseconds) {
  pollFor(handle, POLLOUT, static_cast<int>(milliseconds));
}

void installReadableWaiter(ReadableWaiter waiter) {
  readableWaiter = waiter != nullptr ? waiter : pollReadable;
}

int shutDownAndClose(SocketHandle handle) {
  shutdown(handle, SHUT_RDWR);
  return close(handle) != 0 ? errno : 0;
}

std::string localHostName() {
  char name[128] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string firstInterfaceAddress() {
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return {};
  std::string loopback;
  std::string other;
  for (const ifaddrs* entry = interfaces; entry != nullptr && other.empty();
       entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
        (entry->ifa_flags & IFF_UP) == 0) {
      continue;
    }
    std::string text = dottedAddress(
        reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
    if ((entry->ifa_flags & IFF_LOOPBACK) != 0) {
      if (loopback.empty()) loopback = text;
    } else {
      other = text;
    }
  }
  freeifaddrs(interfaces);
  return other.empty() ? loopback : other;
}

}  // namespace platform
