// Deletions that would take other objects along, and how the server's
// SUCCESS and FAILURE answers to a change end a command.
#include <gtest/gtest.h>

#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

const std::string kQuestion =
    "\n\nAre you sure you wish to execute this command?\n"
    "If so, type \"Yes\" (Note: case sensititve) ";

// At the prompt, without SAFE_DELETE, the user is asked first; anything
// but Yes aborts, Yes sends the deletion, which takes the disk's LUN along.
TEST(RequestDelete, ThePromptAsksBeforeADeletionThatTakesLunsAlong) {
  SimSession sim(loopbackAddress(122), kRequestScenario, {"--log-properties"});
  REQUIRE_SIM(sim);
  const std::string kDelete = "DELETE VDISK \"\\Virtual Disks\\v1\\ACTIVE\"";
  auto run = runInteractive(
      "SET OPTIONS NOCOMMAND_DELAY NOSAFE_DELETE\nSELECT MANAGER " +
      sim.address() + " USERNAME=admin PASSWORD=secret\nSELECT SYSTEM Alpha\n" +
      kDelete + "\nyes\n" + kDelete + "\nYes\n");
  const std::string kWarning =
      "\nThis command will also delete all LUNs associated with this "
      "storage!" +
      kQuestion;
  EXPECT_OUTPUT(kBanner + kPrompt + kPrompt + kPrompt + "\nAlpha> " + kWarning +
                    "\nCommand aborted\n" + "\nAlpha> " + kWarning +
                    "\nAlpha> " + kEndOfInput,
                run.output);
  std::string log = sim.requestLog();
  EXPECT_EQ(log.find("Delete Storage"), log.rfind("Delete Storage"));
  std::size_t deletion = log.find(
      "Delete Storage [ID=\"15000001000000000000000000000000"
      "00000011\"");
  ASSERT_NE(deletion, std::string::npos);
  EXPECT_EQ(log.compare(log.find('\n', deletion) - 5, 5, "-> ok"), 0)
      << log.substr(deletion);
}

// SUCCESS prints nothing; FAILURE prints the server's text and, under
// EXIT_ON_ERROR, ends the session with status 1.
TEST(RequestDelete, AFailureAnswerFailsTheCommand) {
  SimSession sim(loopbackAddress(123), kRequestScenario);
  REQUIRE_SIM(sim);
  const std::vector<std::string> kLines = {
      "SELECT SYSTEM Alpha", "SET OPTIONS ON_ERROR=EXIT_ON_ERROR",
      "SET HOST \\Hosts\\h1 COMMENT=\"changed\"",
      "SET HOST \\Hosts\\h1 NAME=h2", "SHOW SYSTEM"};
  auto run = runArguments(withManager(sim.address(), kLines));
  const std::string p = "Alpha";
  EXPECT_OUTPUT(managerEcho(sim.address()) + echo(kLines[0]) +
                    echo(kLines[1], p) + echo(kLines[2], p) +
                    echo(kLines[3], p) + "\nError: Name already in use: h2",
                run.output);
  EXPECT_EQ(1, run.exitStatus);
}

}  // namespace
}  // namespace e2e
