// The session as a whole: the two input loops, options, ON_ERROR and the
// exit status, over-long lines, and script files.
#include <gtest/gtest.h>

#include <chrono>

#include "pelk_runner.h"

namespace e2e {
namespace {

using testing_support::ScratchDirectory;

const std::string kSyntaxError = "\nError: Syntax error at or near here";
const std::string kPressReturn = "\n\nPress return to exit";
const std::string kTooLong =
    "\nError: Input line too long, limit 2048 characters";

std::string options(const std::string& delay, const std::string& width,
                    const std::string& onError, const std::string& retries,
                    const std::string& safeDelete) {
  return "\nOptions:\n    " + delay + "\n    DISPLAY_WIDTH = " + width +
         "\n    ON_ERROR = " + onError + "\n    " + retries + "\n    " +
         safeDelete;
}

const std::string kDefaultOptions =
    options("COMMAND_DELAY = 10 (seconds)", "80", "CONTINUE",
            "RETRIES = 4 (minutes)", "SAFE_DELETE");
const std::string kQuietOptions =
    options("NOCOMMAND_DELAY", "80", "CONTINUE", "RETRIES = 4 (minutes)",
            "SAFE_DELETE");

TEST(Session, StartsWithTheBannerAndEndsNormallyAtEndOfInput) {
  auto run = runInteractive("");
  EXPECT_OUTPUT(kBanner + kPrompt + kEndOfInput, run.output);
  EXPECT_EQ(0, run.exitStatus);
}

TEST(Session, ArgumentsAreEchoedAndRunInOrder) {
  auto run = runArguments({"SHOW OPTIONS", "   !comment word", "EXIT", "HELP"});
  EXPECT_OUTPUT(kBanner + echo("SHOW OPTIONS") + kDefaultOptions +
                    echo("   !comment word") + echo("EXIT"),
                run.output);
  EXPECT_EQ(0, run.exitStatus);
}

TEST(Session, ExitEndsTheInteractiveLoop) {
  auto run = runInteractive("EXIT\nSHOW OPTIONS\n");
  EXPECT_OUTPUT(kBanner + kPrompt, run.output);
  EXPECT_EQ(0, run.exitStatus);
}

TEST(Session, LastLineWithoutLineFeedStillRuns) {
  auto run = runInteractive("SHOW OPTIONS");
  EXPECT_OUTPUT(kBanner + kPrompt + kDefaultOptions + kPrompt + kEndOfInput,
                run.output);
}

TEST(Session, SetOptionsAppliesAllOrNothing) {
  auto run = runInteractive(
      "SET OPTIONS DISPLAY_WIDTH=100 RETRIES=0\n"
      "SET OPTIONS DISPLAY_WIDTH=69\n"
      "SET OPTIONS COMMAND_DELAY=301\n"
      "SHOW OPTIONS\n"
      "SET OPTIONS NORETRIES COMMAND_DELAY=0 ON_ERROR=HALT_ON_ERROR "
      "ON_ERROR=CONTINUE NOSAFE_DELETE DISPLAY_WIDTH=120 DISPLAY_WIDTH=500\n"
      "SHOW OPTIONS\n");
  EXPECT_OUTPUT(kBanner + kPrompt + "\nError: RETRIES must be 1 to 10" +
                    kPrompt + "\nError: DISPLAY_WIDTH must be 70 to 500" +
                    kPrompt + "\nError: COMMAND_DELAY must be 0 to 300" +
                    kPrompt + kDefaultOptions + kPrompt + kPrompt +
                    options("NOCOMMAND_DELAY", "500", "CONTINUE", "NORETRIES",
                            "NOSAFE_DELETE") +
                    kPrompt + kEndOfInput,
                run.output);
}

TEST(Session, OnErrorDecidesWhetherAFailureEndsTheSession) {
  const std::string failure = kPrompt + caret(23) + kSyntaxError;
  struct {
    const char* policy;
    std::string afterFailure;
    int status;
  } cases[] = {
      {"CONTINUE", kPrompt + kQuietOptions + kPrompt + kEndOfInput, 0},
      {"HALT_ON_ERROR", kPressReturn, 1},
      {"EXIT_ON_ERROR", "", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.policy);
    auto run =
        runInteractive(std::string("SET OPTIONS NOCOMMAND_DELAY ON_ERROR=") +
                       c.policy + "\nSHOW XYZ\nSHOW OPTIONS\n");
    EXPECT_OUTPUT(kBanner + kPrompt + failure + c.afterFailure, run.output);
    EXPECT_EQ(c.status, run.exitStatus);
  }
}

TEST(Session, HelpAnswersNeverCountAsFailures) {
  auto run = runArguments({"SET OPTIONS ON_ERROR=HALT_ON_ERROR", "SHOW ?", "?",
                           "SET OPTIONS ON_ERROR=CONTINUE"});
  EXPECT_EQ(0, run.exitStatus);
  EXPECT_EQ(std::string::npos, run.output.find("Press return"));
}

TEST(Session, HaltInArgumentModeWaitsForAKeyAndExitsWithOne) {
  auto run = runArguments(
      {"SET OPTIONS ON_ERROR=HALT_ON_ERROR", "SHOW XYZ", "SHOW OPTIONS"});
  EXPECT_OUTPUT(kBanner + echo("SET OPTIONS ON_ERROR=HALT_ON_ERROR") +
                    echo("SHOW XYZ") + caret(23) + kSyntaxError + kPressReturn,
                run.output);
  EXPECT_EQ(1, run.exitStatus);
}

TEST(Session, OverLongLinesAreRefusedWholeAtThePrompt) {
  // 2047 characters and a line feed already reach the limit; the part of a
  // longer line past the limit is never taken for a command of its own.
  std::string atLimit(2047, 'A');
  std::string longer = std::string(2100, 'x') + " EXIT";
  std::string fits = "SHOW OPTIONS" + std::string(2046 - 12, ' ');
  auto run = runInteractive(atLimit + "\n" + longer + "\n" + fits + "\n");
  EXPECT_OUTPUT(kBanner + kPrompt + kTooLong + kPrompt + kTooLong + kPrompt +
                    kDefaultOptions + kPrompt + kEndOfInput,
                run.output);
  EXPECT_EQ(0, run.exitStatus);
}

TEST(Scripts, EchoEveryLineAndEndWithAnEmptyEcho) {
  ScratchDirectory scratch;
  scratch.write("outer.pelk", "! outer\nFILE inner.pelk\n\nSHOW OPTIONS\r\n");
  scratch.write("inner.pelk", "SET OPTIONS DISPLAY_WIDTH=99\nEXIT\nSHOW XYZ\n");
  auto run = runInteractive(
      "SET OPTIONS NOCOMMAND_DELAY\nFILE outer.pelk\nSHOW OPTIONS\n",
      scratch.path());
  std::string width99 = options("NOCOMMAND_DELAY", "99", "CONTINUE",
                                "RETRIES = 4 (minutes)", "SAFE_DELETE");
  EXPECT_OUTPUT(kBanner + kPrompt + kPrompt + echo("! outer") +
                    echo("FILE inner.pelk") +
                    echo("SET OPTIONS DISPLAY_WIDTH=99") + echo("EXIT") +
                    echo("") + echo("SHOW OPTIONS") + width99 + echo("") +
                    kPrompt + width99 + kPrompt + kEndOfInput,
                run.output);
  EXPECT_EQ(0, run.exitStatus);
}

TEST(Scripts, HaltInANestedScriptStopsEveryLevelAndTheSession) {
  ScratchDirectory scratch;
  scratch.write("outer.pelk", "FILE inner.pelk\nSHOW OPTIONS\n");
  scratch.write("inner.pelk", "SHOW XYZ\nSHOW OPTIONS\n");
  auto run = runArguments({"SET OPTIONS NOCOMMAND_DELAY ON_ERROR=HALT_ON_ERROR",
                           "FILE outer.pelk", "SHOW OPTIONS"},
                          "", scratch.path());
  EXPECT_OUTPUT(kBanner +
                    echo("SET OPTIONS NOCOMMAND_DELAY ON_ERROR=HALT_ON_ERROR") +
                    echo("FILE outer.pelk") + echo("FILE inner.pelk") +
                    echo("SHOW XYZ") + caret(23) + kSyntaxError + kPressReturn,
                run.output);
  EXPECT_EQ(1, run.exitStatus);
}

TEST(Scripts, InputErrorsAreReportedAndTheSessionGoesOn) {
  ScratchDirectory scratch;
  scratch.write("long.pelk", std::string(2047, 'A') + "\nSHOW OPTIONS");
  std::string longName(2049, 'n');
  auto run = runArguments({"SET OPTIONS NOCOMMAND_DELAY ON_ERROR=HALT_ON_ERROR",
                           "FILE missing.pelk", "FILE .", "FILE " + longName,
                           "SET OPTIONS ON_ERROR=CONTINUE", "FILE long.pelk"},
                          "", scratch.path());
  EXPECT_OUTPUT(
      kBanner + echo("SET OPTIONS NOCOMMAND_DELAY ON_ERROR=HALT_ON_ERROR") +
          echo("FILE missing.pelk") +
          "\nError: Open of missing.pelk failed, No such file or directory" +
          echo("FILE .") + "\nError: Open of . failed, Is a directory" +
          echo("FILE " + longName) +
          "\nError: Filename too long, limit 2048 characters" +
          echo("SET OPTIONS ON_ERROR=CONTINUE") + echo("FILE long.pelk") +
          kTooLong + echo("SHOW OPTIONS") + kQuietOptions,
      run.output);
  EXPECT_EQ(0, run.exitStatus);
}

// A line that runs on without a line feed ends the script after 1 MiB;
// what follows it is its middle, never a command.
TEST(Scripts, AnEndlessLineEndsTheScriptAndCountsAsFailed) {
  ScratchDirectory scratch;
  scratch.write("endless.pelk",
                std::string(3 << 20, 'x') + "\nSHOW XYZ\nSHOW OPTIONS\n");
  const struct {
    const char* file;
    const char* onError;
    std::string after;
    int exitStatus;
  } cases[] = {
      {"/dev/zero", "EXIT_ON_ERROR", "", 1},
      {"endless.pelk", "CONTINUE", echo("SHOW OPTIONS") + kQuietOptions, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::string settings =
        std::string("SET OPTIONS NOCOMMAND_DELAY ON_ERROR=") + c.onError;
    std::string file = std::string("FILE ") + c.file;
    auto run =
        runArguments({settings, file, "SHOW OPTIONS"}, "", scratch.path());
    EXPECT_OUTPUT(kBanner + echo(settings) + echo(file) + kTooLong + c.after,
                  run.output);
    EXPECT_EQ(c.exitStatus, run.exitStatus);
    EXPECT_FALSE(run.timedOut);
  }

  // CAPTURE VALIDATE reads with the same bound.
  auto validate = runArguments({"CAPTURE VALIDATE /dev/zero"});
  EXPECT_OUTPUT(kBanner + echo("CAPTURE VALIDATE /dev/zero") +
                    "\nError: Not a CAPTURE generated script",
                validate.output);
  EXPECT_FALSE(validate.timedOut);
}

// Editors may start a UTF-8 file with a byte-order mark; the first line
// still runs, here making the next failure end the session.
TEST(Scripts, AByteOrderMarkBeforeTheFirstLineIsSkipped) {
  ScratchDirectory scratch;
  scratch.write("bom.pelk",
                "\xEF\xBB\xBFSET OPTIONS ON_ERROR=EXIT_ON_ERROR\nSHOW XYZ\n"
                "SHOW OPTIONS\n");
  auto run = runArguments({"SET OPTIONS NOCOMMAND_DELAY", "FILE bom.pelk"}, "",
                          scratch.path());
  EXPECT_OUTPUT(kBanner + echo("SET OPTIONS NOCOMMAND_DELAY") +
                    echo("FILE bom.pelk") +
                    echo("SET OPTIONS ON_ERROR=EXIT_ON_ERROR") +
                    echo("SHOW XYZ") + caret(23) + kSyntaxError,
                run.output);
  EXPECT_EQ(1, run.exitStatus);
}

// A script indented with tabs runs as one indented with blanks; the caret
// of a failure repeats the tabs, so it stands under its character.
TEST(Scripts, TabsBetweenWordsReadAsBlanks) {
  ScratchDirectory scratch;
  scratch.write("tabs.pelk",
                "SET\tOPTIONS\tON_ERROR=EXIT_ON_ERROR\n\t! a comment\n"
                "\tSHOW\tOPTIONS\t\n\tSHOW\tXYZ\nSHOW OPTIONS\n");
  auto run = runArguments({"SET OPTIONS NOCOMMAND_DELAY", "FILE tabs.pelk"}, "",
                          scratch.path());
  EXPECT_OUTPUT(kBanner + echo("SET OPTIONS NOCOMMAND_DELAY") +
                    echo("FILE tabs.pelk") +
                    echo("SET\tOPTIONS\tON_ERROR=EXIT_ON_ERROR") +
                    echo("\t! a comment") + echo("\tSHOW\tOPTIONS") +
                    options("NOCOMMAND_DELAY", "80", "EXIT_ON_ERROR",
                            "RETRIES = 4 (minutes)", "SAFE_DELETE") +
                    echo("\tSHOW\tXYZ") + std::string(18, ' ') + "\t    \t^" +
                    kSyntaxError,
                run.output);
  EXPECT_EQ(1, run.exitStatus);
}

TEST(Scripts, AScriptThatRunsItselfEndsWithTooManyOpenFiles) {
  ScratchDirectory scratch;
  scratch.write("self.pelk", "FILE self.pelk\n");
  auto run = runArguments({"SET OPTIONS NOCOMMAND_DELAY", "FILE self.pelk"}, "",
                          scratch.path());
  EXPECT_NE(std::string::npos,
            run.output.find(
                "\nError: Open of self.pelk failed, Too many open files"));
  EXPECT_EQ(0, run.exitStatus);
  EXPECT_FALSE(run.timedOut);
}

TEST(Scripts, CommandDelayPausesAfterEachScriptLine) {
  ScratchDirectory scratch;
  scratch.write("one.pelk", "SHOW OPTIONS");
  auto started = std::chrono::steady_clock::now();
  auto run = runArguments({"SET OPTIONS COMMAND_DELAY=1", "FILE one.pelk"}, "",
                          scratch.path());
  auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_GE(elapsed, std::chrono::seconds(1));
  EXPECT_NE(std::string::npos, run.output.find("COMMAND_DELAY = 1 (seconds)"));
}

}  // namespace
}  // namespace e2e
