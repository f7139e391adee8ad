// Managers on ::1, which the machine has once: every test here holds an
// Ipv6LoopbackTurn while its simulator listens there (and ctest runs them
// one at a time). A name that resolves to ::1 alone is the system's own
// when it has one; otherwise the test gives pelk a hosts file of its own
// in a mount namespace, and is skipped where it cannot make one.
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <string>
#include <vector>

#include "pelk_runner.h"
#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;
using testing_support::ProgramOptions;
using testing_support::ProgramRun;
using testing_support::ScratchDirectory;

const std::string kUser = " USERNAME=administrator PASSWORD=admin";

// Skipped where there is no ::1; failed when the turn never came.
#define TAKE_TURN(turn)                                          \
  if (!testing_support::ipv6LoopbackAvailable()) {               \
    GTEST_SKIP() << "this machine has no IPv6 loopback address"; \
  }                                                              \
  ASSERT_TRUE((turn).held()) << "::1 stayed taken by another test"

// True when `name` resolves to ::1 and to nothing else.
bool resolvesToIpv6LoopbackOnly(const char* name) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0) return false;
  bool only = true;
  for (const addrinfo* entry = found; entry != nullptr;
       entry = entry->ai_next) {
    only =
        only && entry->ai_family == AF_INET6 &&
        IN6_IS_ADDR_LOOPBACK(
            &reinterpret_cast<const sockaddr_in6*>(entry->ai_addr)->sin6_addr);
  }
  freeaddrinfo(found);
  return only;
}

// The system's name for ::1 alone, "" when it has none.
std::string systemIpv6LoopbackName() {
  for (const char* name : {"ip6-localhost", "ip6-loopback", "localhost6",
                           "localhost6.localdomain6"}) {
    if (resolvesToIpv6LoopbackOnly(name)) return name;
  }
  return "";
}

// Runs pelk with `arguments`, in a mount namespace whose /etc/hosts is
// `hosts` when that is given.
ProgramRun runPelk(const std::vector<std::string>& arguments,
                   const std::string& hosts = "") {
  ProgramOptions options;
  if (hosts.empty()) {
    options.arguments = arguments;
    return testing_support::runProgram(PELK_BINARY, options);
  }
  options.arguments = {"-rm", "sh",
                       "-c",  "mount --bind \"$0\" /etc/hosts && exec \"$@\"",
                       hosts, PELK_BINARY};
  options.arguments.insert(options.arguments.end(), arguments.begin(),
                           arguments.end());
  return testing_support::runProgram("/usr/bin/unshare", options);
}

// Whether a hosts file of the test's own can be had.
bool privateHostsWork(const std::string& hosts) {
  ProgramOptions options;
  options.arguments = {"-rm", "sh", "-c",
                       "mount --bind \"$0\" /etc/hosts && exec true", hosts};
  return testing_support::runProgram("/usr/bin/unshare", options).exitStatus ==
         0;
}

std::vector<std::string> session(const std::string& manager) {
  return {"SET OPTIONS NOCOMMAND_DELAY", "SELECT MANAGER " + manager + kUser,
          "SHOW SYSTEM", "EMVERSION"};
}

void expectServed(const ProgramRun& run, const std::string& shown) {
  EXPECT_NE(std::string::npos,
            run.output.find("\nSystems available on this Manager:\n  "
                            "Production\n"))
      << run.output << run.errors;
  EXPECT_NE(
      std::string::npos,
      run.output.find("\nElement manager information (at " + shown + ")\n"))
      << run.output;
  EXPECT_EQ(std::string::npos, run.output.find("Error")) << run.output;
}

TEST(Ipv6Loopback, TheManagerOnIpv6LoopbackByAddressAndByName) {
  testing_support::Ipv6LoopbackTurn turn;
  TAKE_TURN(turn);
  SimSession sim("::1", "", {"--demo"});
  REQUIRE_SIM(sim);
  for (const std::string manager : {"[::1]", "[::1]:12301"}) {
    SCOPED_TRACE(manager);
    expectServed(runPelk(session(manager)), "[::1]:12301");
  }

  std::string name = systemIpv6LoopbackName();
  ScratchDirectory files;
  std::string hosts;
  if (name.empty()) {
    name = "pelk-ipv6-only.test";
    hosts = files.write("hosts", "::1 " + name + "\n");
    if (!privateHostsWork(hosts)) {
      GTEST_SKIP() << "no name resolves to ::1 alone here, and no hosts "
                      "file of the test's own can be mounted";
    }
  }
  SCOPED_TRACE(name);
  expectServed(runPelk(session(name), hosts), name + ":12301");
}

// A name's addresses are tried in the order the system gives them: ::1
// first and an IPv4 address of the test's own, where nothing listens, then
// the one where the manager is.
TEST(Ipv6Loopback, ANameWhoseFirstAddressesRefuseIsReachedByTheNext) {
  testing_support::Ipv6LoopbackTurn turn;
  TAKE_TURN(turn);
  SimSession sim(loopbackAddress(191), "", {"--demo"});
  REQUIRE_SIM(sim);
  ScratchDirectory files;
  const std::string name = "pelk-several.test";
  const std::string hosts =
      files.write("hosts", "::1 " + name + "\n" + loopbackAddress(192) + " " +
                               name + "\n" + sim.address() + " " + name + "\n");
  if (!privateHostsWork(hosts)) {
    GTEST_SKIP() << "no hosts file of the test's own can be mounted";
  }
  expectServed(runPelk(session(name), hosts), name + ":12301");
}

}  // namespace
}  // namespace e2e
