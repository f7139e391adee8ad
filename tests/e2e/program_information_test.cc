// --help and --version answer only as the single argument; anywhere else
// they are command lines like any other.
#include <gtest/gtest.h>

#include "pelk_runner.h"

namespace e2e {
namespace {

TEST(ProgramInformation, VersionAndHelpAsTheOnlyArgument) {
  auto run = runArguments({"--version"});
  EXPECT_OUTPUT("PELK Build 7 for tarnwick 3.2\n", run.output);
  EXPECT_EQ(0, run.exitStatus);

  run = runArguments({"--help"});
  EXPECT_EQ(0u, run.output.find("Usage: pelk [COMMAND_LINE ...]\n"))
      << run.output;
  EXPECT_NE(std::string::npos, run.output.find("See pelk(1).\n"));
  EXPECT_EQ(0, run.exitStatus);
}

TEST(ProgramInformation, AmongOtherArgumentsTheyAreCommandLines) {
  auto run = runArguments({"--version", "EXIT"});
  EXPECT_OUTPUT(kBanner + echo("--version") + caret(18) +
                    "\nError: Syntax error at or near here" + echo("EXIT"),
                run.output);
  EXPECT_EQ(0, run.exitStatus);
}

}  // namespace
}  // namespace e2e
