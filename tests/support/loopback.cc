#include "support/loopback.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testing_support {
namespace {

constexpr int kPorts[] = {12301, 2301};
constexpr int kLastAddress = 254;
// 127.1.0.x to 127.9.9.x.
constexpr int kBlockCount = 90;

[[noreturn]] void giveUp(const char* why) {
  std::fprintf(stderr, "loopbackAddress: %s\n", why);
  std::abort();
}

std::string blockPrefix(int block) {
  return "127." + std::to_string(1 + block / 10) + "." +
         std::to_string(block % 10) + ".";
}

// A socket bound to address:port, or -1 with errno set. Probes pass
// `reuse`, so connections a finished test left waiting do not count as
// taken, while any listener still does.
int bound(const std::string& address, int port, bool reuse) {
  int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (descriptor < 0) giveUp(std::strerror(errno));
  int yes = 1;
  if (reuse) {
    setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  }
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  if (bind(descriptor, reinterpret_cast<sockaddr*>(&local), sizeof local) !=
      0) {
    int failure = errno;
    close(descriptor);
    errno = failure;
    return -1;
  }
  return descriptor;
}

bool addressesFree(const std::string& prefix) {
  for (int n = 1; n <= kLastAddress; ++n) {
    for (int port : kPorts) {
      int probe = bound(prefix + std::to_string(n), port, true);
      if (probe < 0) {
        if (errno != EADDRINUSE) giveUp(std::strerror(errno));
        return false;
      }
      close(probe);
    }
  }
  return true;
}

// The claim stays open, unclosed, for the life of the process: it is what
// tells other processes the block is taken.
std::string claimBlock() {
  int start = static_cast<int>(getpid() % kBlockCount);
  // From the process's own block on; when every one is taken, something
  // listens on all of them (a wildcard server on the port, say).
  for (int attempt = 0; attempt < kBlockCount; ++attempt) {
    std::string prefix = blockPrefix((start + attempt) % kBlockCount);
    int claim = bound(prefix + "0", kPorts[0], false);
    if (claim < 0) {
      if (errno != EADDRINUSE) giveUp(std::strerror(errno));
      continue;
    }
    if (addressesFree(prefix)) return prefix;
    close(claim);
  }
  giveUp("no free block of loopback addresses");
}

}  // namespace

std::string loopbackAddress(int n) {
  if (n < 1 || n > kLastAddress) giveUp("no such address in a block");
  static const std::string prefix = claimBlock();
  return prefix + std::to_string(n);
}

bool ipv6LoopbackAvailable() {
  int descriptor = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (descriptor < 0) return false;
  sockaddr_in6 local{};
  local.sin6_family = AF_INET6;
  local.sin6_addr = in6addr_loopback;
  bool bound =
      bind(descriptor, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
  close(descriptor);
  return bound;
}

// A lock file every user may take: opened as it is when it exists (it may
// be another user's), made when it does not.
Ipv6LoopbackTurn::Ipv6LoopbackTurn() {
  constexpr const char* kLockFile = "/tmp/pelk-tests-ipv6-loopback.lock";
  descriptor_ = open(kLockFile, O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) {
    descriptor_ = open(kLockFile, O_RDONLY | O_CREAT | O_CLOEXEC, 0444);
  }
  if (descriptor_ < 0) return;
  constexpr int kTries = 1200;  // of 100 ms
  for (int tried = 0; tried < kTries; ++tried) {
    if (flock(descriptor_, LOCK_EX | LOCK_NB) == 0) return;
    usleep(100 * 1000);
  }
  close(descriptor_);
  descriptor_ = -1;
}

Ipv6LoopbackTurn::~Ipv6LoopbackTurn() {
  if (descriptor_ >= 0) close(descriptor_);
}

}  // namespace testing_support
