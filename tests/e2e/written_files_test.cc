// Files the session writes, when writing is impossible: the command that
// asked for the file says why; a log that cannot be written costs only its
// entries.
#include <gtest/gtest.h>

#include "request_sim_session.h"

namespace e2e {
namespace {

using testing_support::ScratchDirectory;

TEST(WrittenFiles, CaptureFileThatCannotBeCreatedIsReported) {
  ScratchDirectory scratch;
  scratch.write("plain.txt", "");
  auto run =
      runArguments({"REGRESSION CAPTURE plain.txt/ref.txt", "SHOW OPTIONS"}, "",
                   scratch.path());
  EXPECT_EQ(run.output.substr(0, run.output.find(echo("SHOW OPTIONS"))),
            kBanner + echo("REGRESSION CAPTURE plain.txt/ref.txt") +
                "\nError: Open of plain.txt/ref.txt failed, Not a directory");
  // Nothing was captured: the options went to the screen.
  EXPECT_NE(run.output.find("\nOptions:\n"), std::string::npos);
  EXPECT_EQ(scratch.read("plain.txt"), "");
}

// /dev/full fails every write as a full disk does.
TEST(WrittenFiles, DebugLogOnAFullDiskLosesEntriesNotCommands) {
  SimSession sim("127.0.0.77", kRequestScenario);
  REQUIRE_SIM(sim);
  ScratchDirectory scratch;
  testing_support::ProgramOptions options;
  options.arguments = withManager(
      sim.address(), {"SET OPTIONS ON_ERROR=HALT_ON_ERROR",
                      "DEBUG INFORMATION TALLOW_FLAGS=111", "SHOW SYSTEM"});
  options.environment = {"FILE_NAME=/dev/full"};
  options.directory = scratch.path();
  auto run = testing_support::runProgram(PELK_BINARY, options);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find(echo("SHOW SYSTEM") +
                            "\nSystems available on this Manager:\n  Alpha"),
            std::string::npos)
      << testing_support::escaped(run.output);
}

}  // namespace
}  // namespace e2e
