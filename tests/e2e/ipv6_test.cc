// IPv6 manager addresses. An address in brackets reaches the manager on
// both paths; one without brackets is refused, since its last group could
// as well be a port. The tests that need ::1 itself take turns in
// ipv6_loopback/; these reach the simulator on the test's own IPv4
// loopback address through its IPv6 form, ::ffff:127.x.y.z.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pelk_runner.h"
#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

TEST(Ipv6, AnAddressWithoutItsBracketsIsRefused) {
  const struct {
    std::string typed;
    std::string error;
  } cases[] = {
      {"fd00::5",
       "Manager address fd00::5 is ambiguous: write an IPv6 address in "
       "brackets, as [fd00::5] or [fd00::5]:12301"},
      {"fd00::5:2301",
       "Manager address fd00::5:2301 is ambiguous: write an IPv6 address in "
       "brackets, as [fd00::5:2301] or [fd00::5:2301]:12301"},
      {"https://fd00::5",
       "Manager address https://fd00::5 is ambiguous: write an IPv6 address "
       "in brackets, as https://[fd00::5] or https://[fd00::5]:12301"},
      {"[fd00::5",
       "Manager address [fd00::5 lacks the ] that ends its IPv6 address"},
      {"[fd00::5]2301",
       "Manager address [fd00::5]2301: only a port (:PORT) may follow the ]"},
      {"https://admin:pw@eva",
       "Manager address https://admin:pw@eva: only a host and a port (:PORT) "
       "may follow https://"},
  };
  // The manager selected before stays selected, with its user and
  // password: those of the refused line are not taken.
  const std::string before = "SELECT MANAGER 10.0.0.5 USERNAME=u PASSWORD=p";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const std::string line =
        "SELECT MANAGER " + c.typed + " USERNAME=root PASSWORD=other";
    auto run = runArguments({before, line, "SHOW MANAGER"});
    EXPECT_OUTPUT(kBanner + echo(before) + echo(line) + "\nError: " + c.error +
                      echo("SHOW MANAGER") +
                      "\nManager IP address 10.0.0.5:12301"
                      "\nUsername: u, password specified",
                  run.output);
  }
}

// The text transport, and the login path of EMVERSION, whose request
// names the host in brackets as well.
TEST(Ipv6, AnAddressInBracketsReachesTheManager) {
  if (!testing_support::ipv6LoopbackAvailable()) {
    GTEST_SKIP() << "this machine has no IPv6";
  }
  SimSession sim(loopbackAddress(190), "", {"--demo"});
  REQUIRE_SIM(sim);
  for (const std::string port : {"", ":12301"}) {
    const std::string address = "[::ffff:" + sim.address() + "]";
    SCOPED_TRACE(address + port);
    auto run = runArguments({"SET OPTIONS NOCOMMAND_DELAY",
                             "SELECT MANAGER " + address + port +
                                 " USERNAME=administrator PASSWORD=admin",
                             "SHOW MANAGER", "SHOW SYSTEM", "EMVERSION"});
    const std::string shown = address + ":12301";
    EXPECT_NE(std::string::npos,
              run.output.find("\nManager IP address " + shown + "\n"))
        << run.output;
    EXPECT_NE(std::string::npos,
              run.output.find("\nSystems available on this Manager:\n  "
                              "Production\n"))
        << run.output;
    EXPECT_NE(std::string::npos,
              run.output.find("\nElement manager information (at " + shown +
                              ")\n  Version: 3.2\n"))
        << run.output;
    EXPECT_EQ(std::string::npos, run.output.find("Error")) << run.output;
  }
}

}  // namespace
}  // namespace e2e
