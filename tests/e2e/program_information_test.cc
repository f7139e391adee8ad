// --help and --version answer only as the single argument; anywhere else
// they are command lines like any other. Program options come before the
// command lines.
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

// Options stand in front of the command lines; a value they refuse ends
// the program before the session starts.
TEST(ProgramOptions, TimeoutComesBeforeTheCommandLines) {
  const std::string kRule = "a whole number of seconds from 0 to 86400";
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::string errors;
  } refused[] = {
      {{"--timeout", "abc", "EXIT"},
       {},
       "pelk: --timeout takes " + kRule + ", not \"abc\"\n"},
      {{"--timeout", "86401"},
       {},
       "pelk: --timeout takes " + kRule + ", not \"86401\"\n"},
      {{"--timeout"}, {}, "pelk: --timeout takes " + kRule + "\n"},
      {{"EXIT"},
       {"PELK_TIMEOUT=-1"},
       "pelk: PELK_TIMEOUT takes " + kRule + ", not \"-1\"\n"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.errors);
    testing_support::ProgramOptions options;
    options.arguments = c.arguments;
    options.environment = c.environment;
    auto run = testing_support::runProgram(PELK_BINARY, options);
    EXPECT_OUTPUT("", run.output);
    EXPECT_EQ(c.errors, run.errors);
    EXPECT_EQ(2, run.exitStatus);
  }

  // The option given, its variable is not looked at.
  testing_support::ProgramOptions options;
  options.arguments = {"--timeout", "0", "EXIT"};
  options.environment = {"PELK_TIMEOUT=junk"};
  auto run = testing_support::runProgram(PELK_BINARY, options);
  EXPECT_OUTPUT(kBanner + echo("EXIT"), run.output);
  EXPECT_EQ(0, run.exitStatus);

  run = runArguments({"--help"});
  EXPECT_NE(std::string::npos, run.output.find("--timeout SECONDS"));
}

}  // namespace
}  // namespace e2e
