// PELK against a misbehaving manager: each fault of pelk-sim, injected for
// the first commands of a session. The command fails with the fault's own
// message, HALT_ON_ERROR ends the session with status 1, and once the fault
// is used up the next command of the same session works again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

const std::string kLibraryError = "\nError: EMClientAPITNG error ->\n";
const std::string kSystems =
    "\nSystems available on this Manager:\n  Alpha\n  Empty";

std::string nestedTooDeeply() {
  // The parser stops at its 64th level; the rest of the answer follows.
  std::string rest;
  for (int i = 64; i < 100; ++i) rest += "<object>";
  for (int i = 0; i < 100; ++i) rest += "</object>";
  return "\nError: Response nested too deeply starting here->\n" + rest;
}

struct FaultCase {
  int loopback;  // which address of the test's block
  // Injected for as many requests as two failing commands use: a dropped
  // connection is opened again and the request sent once more.
  std::string fault;
  std::string error;
};

const FaultCase kFaults[] = {
    // Dropped before answering, on the request and on its second sending.
    {80, "close:4",
     kLibraryError +
         "EMCLIENTAPISOCKET_RECEIVE_ERROR : Network receive failed.\n"},
    // Dropped in the middle of the status line.
    {81, "cut:4:20",
     kLibraryError +
         "EMCLIENTAPISOCKET_RECEIVE_ERROR : Network receive failed.\n"},
    // Content-Length announces ten bytes more than arrive.
    {82, "short:4:10",
     kLibraryError +
         "EMCLIENTAPISOCKET_RECEIVE_ERROR : Network receive failed.\n"},
    // More than the 64 MiB a receive holds.
    {83, "huge:4:65",
     kLibraryError +
         "EMCLIENTAPISOCKET_RECEIVE_ERROR : Network receive failed.\n"},
    {84, "garbage:2",
     kLibraryError + "EMCLIENTAPITNG_SOAPSERVER_RESPONSE_INVALID_ERROR : "
                     "Invalid Soap Server Response.\n"},
    {85, "unauthorized:2",
     kLibraryError + "EMCLIENTAPI_PERMISSIONDENIED_ERROR : Invalid username or "
                     "password.\n"},
    {86, "html:2", "\nError: Server currently down, stopped or restarting"},
    // Busy for more attempts than RETRIES 0 makes: the busy answer stands.
    {87, "busy:2:18018",
     "\nError: The element manager is busy, try again later"},
    {88, "deep:2:100", nestedTooDeeply()},
};

TEST(FaultMatrix, EachFaultFailsTheCommandAndTheNextOneWorks) {
  for (const FaultCase& fault : kFaults) {
    SCOPED_TRACE(fault.fault);
    SimSession sim(loopbackAddress(fault.loopback), kRequestScenario,
                   {"--fault", fault.fault});
    REQUIRE_SIM(sim);

    auto halted = runArguments(withManager(
        sim.address(), {"SET OPTIONS NORETRIES ON_ERROR=HALT_ON_ERROR",
                        "SHOW SYSTEM", "SHOW SYSTEM"}));
    EXPECT_OUTPUT(managerEcho(sim.address()) +
                      echo("SET OPTIONS NORETRIES ON_ERROR=HALT_ON_ERROR") +
                      echo("SHOW SYSTEM") + fault.error +
                      "\n\nPress return to exit",
                  halted.output);
    EXPECT_EQ(halted.exitStatus, 1);
    EXPECT_FALSE(halted.timedOut);

    auto recovered = runArguments(
        withManager(sim.address(),
                    {"SET OPTIONS NORETRIES", "SHOW SYSTEM", "SHOW SYSTEM"}));
    EXPECT_OUTPUT(managerEcho(sim.address()) + echo("SET OPTIONS NORETRIES") +
                      echo("SHOW SYSTEM") + fault.error + echo("SHOW SYSTEM") +
                      kSystems,
                  recovered.output);
    EXPECT_EQ(recovered.exitStatus, 0);
  }
}

// Nothing listens on either port: both paths are refused at once.
TEST(FaultMatrix, RefusedConnectionFailsTheCommand) {
  const std::string address = loopbackAddress(89);
  auto halted =
      runArguments(withManager(address, {"SET OPTIONS ON_ERROR=HALT_ON_ERROR",
                                         "SHOW SYSTEM", "SHOW SYSTEM"}));
  EXPECT_OUTPUT(managerEcho(address) +
                    echo("SET OPTIONS ON_ERROR=HALT_ON_ERROR") +
                    echo("SHOW SYSTEM") + kLibraryError +
                    "EMCLIENTAPISOCKET_CONNECT_ERROR : Cannot establish "
                    "socket connection with the server.\n" +
                    "\n\nPress return to exit",
                halted.output);
  EXPECT_EQ(halted.exitStatus, 1);

  SimSession sim(address, kRequestScenario);
  REQUIRE_SIM(sim);
  auto served = runArguments(withManager(address, {"SHOW SYSTEM"}));
  EXPECT_OUTPUT(managerEcho(address) + echo("SHOW SYSTEM") + kSystems,
                served.output);
  EXPECT_EQ(served.exitStatus, 0);
}

// A server that stalls after the header lines, or trickles the answer a
// byte a second, holds a request no longer than its bound: the command
// fails with the library's receive timeout and the next one works.
TEST(FaultMatrix, StalledAndTricklingServersFailAtTheRequestsBound) {
  const std::string kTimedOut =
      kLibraryError +
      "EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR : Receive timeout reach, no data "
      "to receive.\n";
  const struct {
    int loopback;
    const char* fault;
    // The bound as an option or from the environment.
    std::vector<std::string> options;
    std::vector<std::string> environment;
  } cases[] = {
      {70, "stall:1", {"--timeout", "2"}, {}},
      {71, "trickle:1:1000", {"--timeout", "2"}, {}},
      {72, "stall:1", {}, {"PELK_TIMEOUT=2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    SimSession sim(loopbackAddress(c.loopback), kRequestScenario,
                   {"--fault", c.fault});
    REQUIRE_SIM(sim);
    testing_support::ProgramOptions options;
    options.arguments = c.options;
    for (const std::string& line :
         withManager(sim.address(),
                     {"SET OPTIONS NORETRIES", "SHOW SYSTEM", "SHOW SYSTEM"})) {
      options.arguments.push_back(line);
    }
    options.environment = c.environment;
    options.timeoutSeconds = 10;
    auto run = testing_support::runProgram(PELK_BINARY, options);
    EXPECT_OUTPUT(managerEcho(sim.address()) + echo("SET OPTIONS NORETRIES") +
                      echo("SHOW SYSTEM") + kTimedOut + echo("SHOW SYSTEM") +
                      kSystems,
                  run.output);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_FALSE(run.timedOut);
  }
}

// Without a Content-Length the answer ends where the server closes, however
// many writes it came in.
TEST(FaultMatrix, AnswerWithoutALengthIsReadUntilTheServerCloses) {
  SimSession sim(loopbackAddress(73), kRequestScenario,
                 {"--fault", "unframed:1", "--fault", "split:1:40"});
  REQUIRE_SIM(sim);
  auto run = runArguments(withManager(sim.address(), {"SHOW SYSTEM"}));
  EXPECT_OUTPUT(managerEcho(sim.address()) + echo("SHOW SYSTEM") + kSystems,
                run.output);
  EXPECT_EQ(run.exitStatus, 0);
}

// The shell waits forever for an answer, so a slow one is simply late.
TEST(FaultMatrix, SlowAnswerIsWaitedFor) {
  SimSession sim(loopbackAddress(79), kRequestScenario,
                 {"--fault", "delay:1:700"});
  REQUIRE_SIM(sim);
  auto run = runArguments(withManager(
      sim.address(), {"SET OPTIONS ON_ERROR=HALT_ON_ERROR", "SHOW SYSTEM"}));
  EXPECT_OUTPUT(managerEcho(sim.address()) +
                    echo("SET OPTIONS ON_ERROR=HALT_ON_ERROR") +
                    echo("SHOW SYSTEM") + kSystems,
                run.output);
  EXPECT_EQ(run.exitStatus, 0);
}

}  // namespace
}  // namespace e2e
