// --help and --version answer only as the single argument. Program options
// come before the command lines, and no other argument may begin with '-'
// unless -- ended the options.
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

const std::string kSynopsis =
    "Usage: pelk [COMMAND_LINE ...]\n"
    "       pelk [--json | --quiet] [--yes] [--timeout SECONDS]\n"
    "            [--] [COMMAND_LINE ...]\n"
    "       pelk -h | --help | --version\n"
    "See pelk --help.\n";

// A mistyped option used to run as a command line: the job on standard
// input was skipped and the run ended with status 0.
TEST(ProgramOptions, AWordWithADashThatIsNoOptionIsRefused) {
  const struct {
    std::vector<std::string> arguments;
    std::string errors;
  } refused[] = {
      {{"--jsno"}, "pelk: unknown option --jsno\n"},
      {{"-j", "--quiet"}, "pelk: unknown option -j\n"},
      {{"--version", "EXIT"}, "pelk: unknown option --version\n"},
      {{"--quiet", "SHOW OPTIONS", "--jsno"}, "pelk: unknown option --jsno\n"},
      {{"SHOW OPTIONS", "--json"},
       "pelk: --json must come before the command lines\n"},
      {{"SHOW OPTIONS", "--", "-x"},
       "pelk: -- must come before the command lines\n"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.errors);
    testing_support::ProgramOptions options;
    options.arguments = c.arguments;
    options.input = "SHOW OPTIONS\n";
    auto run = testing_support::runProgram(PELK_BINARY, options);
    EXPECT_OUTPUT("", run.output);
    EXPECT_OUTPUT(c.errors + kSynopsis, run.errors);
    EXPECT_EQ(2, run.exitStatus);
  }

  auto run = runArguments({"-h"});
  EXPECT_EQ(0u, run.output.find(kSynopsis.substr(0, kSynopsis.rfind("See"))))
      << run.output;
  EXPECT_EQ(0, run.exitStatus);

  // After -- every argument is a command line, one beginning with '-' too.
  run = runArguments({"--quiet", "--", "-x", "SHOW OPTIONS"});
  EXPECT_OUTPUT("-x\n^\nError: Syntax error at or near here\n", run.errors);
  EXPECT_NE(std::string::npos, run.output.find("Options:"));
  EXPECT_EQ(1, run.exitStatus);
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
