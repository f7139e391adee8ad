#include "platform/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/interruption.h"

namespace platform {
namespace {

LongWaitHook longWaitHook = nullptr;

// After a wait of `milliseconds` that found the socket not ready.
void waitedLong(uint32_t milliseconds) {
  if (longWaitHook != nullptr && milliseconds >= kReceiveStep) longWaitHook();
}

bool pollFor(SocketHandle handle, short events, uint32_t milliseconds) {
  pollfd entry{handle, events, 0};
  // A wait ended early by a signal is judged by the caller, who looks for
  // an interruption and otherwise tries again.
  if (waitUnlessInterrupted(&entry, 1, milliseconds)) return true;
  waitedLong(milliseconds);
  return false;
}

void pollReadable(SocketHandle handle, uint32_t milliseconds) {
  pollFor(handle, POLLIN, milliseconds);
}

ReadableWaiter readableWaiter = pollReadable;

}  // namespace

namespace {

const sockaddr* asSocketAddress(const SocketAddress& address) {
  return reinterpret_cast<const sockaddr*>(address.bytes);
}

bool keepAddress(const sockaddr* found, socklen_t size, uint16_t networkPort,
                 SocketAddress& address) {
  if (size > sizeof address.bytes) return false;
  if (found->sa_family == AF_INET) {
    sockaddr_in copy{};
    std::memcpy(&copy, found, sizeof copy);
    copy.sin_port = networkPort;
    std::memcpy(address.bytes, &copy, sizeof copy);
    address.size = sizeof copy;
    return true;
  }
  if (found->sa_family == AF_INET6) {
    sockaddr_in6 copy{};
    std::memcpy(&copy, found, sizeof copy);
    copy.sin6_port = networkPort;
    std::memcpy(address.bytes, &copy, sizeof copy);
    address.size = sizeof copy;
    return true;
  }
  return false;
}

// The stream addresses getaddrinfo gives for `hints`; false for none.
bool lookUp(const char* name, const addrinfo& hints, uint16_t networkPort,
            std::vector<SocketAddress>& addresses) {
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0) return false;
  std::size_t before = addresses.size();
  for (const addrinfo* entry = found; entry != nullptr;
       entry = entry->ai_next) {
    SocketAddress address;
    if (keepAddress(entry->ai_addr, entry->ai_addrlen, networkPort, address)) {
      addresses.push_back(address);
    }
  }
  freeaddrinfo(found);
  return addresses.size() > before;
}

std::string ipv6Text(const in6_addr& address) {
  char text[INET6_ADDRSTRLEN] = {};
  inet_ntop(AF_INET6, &address, text, sizeof text);
  return text;
}

}  // namespace

int openStreamSocket(const SocketAddress& address, bool tcp,
                     SocketHandle& handle) {
  handle =
      socket(asSocketAddress(address)->sa_family,
             SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, tcp ? IPPROTO_TCP : 0);
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

SocketAddress ipv4SocketAddress(uint32_t networkAddress, uint16_t networkPort) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = networkPort;
  peer.sin_addr.s_addr = networkAddress;
  SocketAddress address;
  std::memcpy(address.bytes, &peer, sizeof peer);
  address.size = sizeof peer;
  return address;
}

bool parseIpv6Address(const char* text, uint16_t networkPort,
                      SocketAddress& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET6;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST;
  std::vector<SocketAddress> found;
  if (!lookUp(text, hints, networkPort, found)) return false;
  address = found.front();
  return true;
}

bool resolveStreamAddresses(const char* name, uint16_t networkPort,
                            std::vector<SocketAddress>& addresses) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  return lookUp(name, hints, networkPort, addresses);
}

std::string addressText(const SocketAddress& address) {
  const sockaddr* peer = asSocketAddress(address);
  if (peer->sa_family == AF_INET6) {
    sockaddr_in6 copy{};
    std::memcpy(&copy, address.bytes, sizeof copy);
    return ipv6Text(copy.sin6_addr);
  }
  sockaddr_in copy{};
  std::memcpy(&copy, address.bytes, sizeof copy);
  return dottedAddress(copy.sin_addr.s_addr);
}

int startConnect(SocketHandle handle, const SocketAddress& address) {
  if (connect(handle, asSocketAddress(address), address.size) == 0) {
    return 0;
  }
  // An interrupted connect goes on by itself; a second connect would only
  // be refused.
  return errno == EINTR ? EINPROGRESS : errno;
}

int waitConnected(SocketHandle handle, uint32_t milliseconds) {
  if (!pollFor(handle, POLLOUT, milliseconds)) return EINPROGRESS;
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
    return errno;
  }
  return error;
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
// be two. Its wait is bounded by the socket's receive step, and a signal
// ends it early (the handlers do not restart calls), so the caller looks
// for an interruption or the request's bound at least once a step.
long receiveWaiting(SocketHandle handle, char* buffer, std::size_t size,
                    uint32_t milliseconds, int& error) {
  if (readableWaiter == pollReadable && milliseconds >= kReceiveStep) {
    ssize_t got = recv(handle, buffer, size, 0);
    if (got >= 0) return got;
    error = errno == EWOULDBLOCK || errno == EINTR ? EAGAIN : errno;
    if (errno == EWOULDBLOCK) waitedLong(milliseconds);
    return -1;
  }
  readableWaiter(handle, milliseconds);
  return receiveWith(handle, buffer, size, MSG_DONTWAIT, error);
}

int waitInReceives(SocketHandle handle) {
  int flags = fcntl(handle, F_GETFL);
  if (flags < 0 || fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) < 0) {
    return errno;
  }
  timeval step{0, static_cast<suseconds_t>(kReceiveStep) * 1000};
  return setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, &step, sizeof step) != 0
             ? errno
             : 0;
}

void waitReadable(SocketHandle handle, uint32_t milliseconds) {
  readableWaiter(handle, milliseconds);
}

void waitWritable(SocketHandle handle, uint32_t milliseconds) {
  pollFor(handle, POLLOUT, static_cast<int>(milliseconds));
}

void installLongWaitHook(LongWaitHook hook) { longWaitHook = hook; }

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

namespace {

// The first address of `family` of an interface that is up, a non-loopback
// one preferred; IPv6 link-local addresses name no interface and are left
// out.
std::string firstAddressOf(const ifaddrs* interfaces, int family) {
  std::string loopback;
  std::string other;
  for (const ifaddrs* entry = interfaces; entry != nullptr && other.empty();
       entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != family ||
        (entry->ifa_flags & IFF_UP) == 0) {
      continue;
    }
    std::string text;
    if (family == AF_INET) {
      text = dottedAddress(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)
                               ->sin_addr.s_addr);
    } else {
      const in6_addr& address =
          reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr;
      if (IN6_IS_ADDR_LINKLOCAL(&address)) continue;
      text = ipv6Text(address);
    }
    if ((entry->ifa_flags & IFF_LOOPBACK) != 0) {
      if (loopback.empty()) loopback = text;
    } else {
      other = text;
    }
  }
  return other.empty() ? loopback : other;
}

}  // namespace

std::string firstInterfaceAddress() {
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return {};
  std::string address = firstAddressOf(interfaces, AF_INET);
  if (address.empty()) address = firstAddressOf(interfaces, AF_INET6);
  freeifaddrs(interfaces);
  return address;
}

std::string firstIpv6Address(const char* name) {
  addrinfo hints{};
  hints.ai_family = AF_INET6;
  hints.ai_socktype = SOCK_STREAM;
  std::vector<SocketAddress> found;
  if (!lookUp(name, hints, 0, found)) return {};
  return addressText(found.front());
}

}  // namespace platform
