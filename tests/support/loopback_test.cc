// How a process chooses its block of loopback addresses, in C++ and in the
// Python tests' helper alike: never a block another process has claimed,
// never one where something listens on either port.
#include "support/loopback.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testing_support {
namespace {

// The prefix of the block `step` places after the one `pid` starts from.
std::string blockOf(pid_t pid, int step) {
  constexpr int kBlockCount = 90;
  int block = (pid % kBlockCount + step) % kBlockCount;
  return "127." + std::to_string(1 + block / 10) + "." +
         std::to_string(block % 10) + ".";
}

// A socket bound (and listening, when asked) on address:port; -1 when
// something already holds it, which serves the test as well. Bound with
// SO_REUSEADDR, so a claim would share the address with it unless made
// without.
int holding(const std::string& address, int port, bool listening) {
  int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  if (bind(descriptor, reinterpret_cast<sockaddr*>(&local), sizeof local) !=
          0 ||
      (listening && listen(descriptor, 1) != 0)) {
    close(descriptor);
    return -1;
  }
  return descriptor;
}

// Forks a child that waits for a byte on a pipe, then writes its first
// address to standard output: by this library, or by the Python helper.
std::string firstAddressOfChild(bool python) {
  int go[2], out[2];
  EXPECT_EQ(pipe(go), 0);
  EXPECT_EQ(pipe(out), 0);
  pid_t child = fork();
  if (child == 0) {
    char byte;
    close(go[1]);
    close(out[0]);
    if (read(go[0], &byte, 1) != 1) _exit(1);
    if (python) {
      dup2(out[1], 1);
      execl(PELK_PYTHON, PELK_PYTHON, "-B", "-c",
            "import sys; sys.path.insert(0, sys.argv[1]); "
            "from loopback import loopback_address; "
            "print(loopback_address(1), end='')",
            PELK_PTY_DIR, static_cast<char*>(nullptr));
      _exit(127);
    }
    std::string address = loopbackAddress(1);
    _exit(write(out[1], address.data(), address.size()) ==
                  static_cast<ssize_t>(address.size())
              ? 0
              : 1);
  }
  close(go[0]);
  close(out[1]);
  // Another process's claim on the block the child starts from, and a
  // server on the last address of the next one, on the login port only.
  int claim = holding(blockOf(child, 0) + "0", 12301, false);
  int server = holding(blockOf(child, 1) + "254", 2301, true);
  EXPECT_EQ(write(go[1], "g", 1), 1);
  close(go[1]);
  std::string address;
  char buffer[64];
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;) {
    address.append(buffer, static_cast<std::size_t>(got));
  }
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(address.starts_with(blockOf(child, 0))) << address;
  EXPECT_FALSE(address.starts_with(blockOf(child, 1))) << address;
  if (claim >= 0) close(claim);
  if (server >= 0) close(server);
  return address;
}

// The children choose first: a forked child inherits a block already
// chosen.
TEST(LoopbackAddress, ATakenBlockIsPassedOver) {
  for (bool python : {false, true}) {
    SCOPED_TRACE(python ? "Python helper" : "C++ helper");
    std::string address = firstAddressOfChild(python);
    // As long as 127.0.0.1, outside 127.0.0.0/16.
    EXPECT_EQ(address.size(), 9u) << address;
    EXPECT_TRUE(address.starts_with("127.")) << address;
    EXPECT_FALSE(address.starts_with("127.0.")) << address;
    EXPECT_TRUE(address.ends_with(".1")) << address;
  }
  // One block for the whole process.
  std::string first = loopbackAddress(1);
  std::string last = loopbackAddress(254);
  EXPECT_EQ(first.substr(0, first.size() - 1), last.substr(0, last.size() - 3));
}

}  // namespace
}  // namespace testing_support
