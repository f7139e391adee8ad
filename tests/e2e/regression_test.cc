// REGRESSION CAPTURE records command lines and their output; REGRESSION
// TEST replays them and reports the sections that differ.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "pelk_runner.h"

namespace e2e {
namespace {

using testing_support::ScratchDirectory;

const std::string kRunning =
    "\nError: Regression in some form is already running";
const std::string kCaptureOptions =
    "\nOptions:\n    NOCOMMAND_DELAY\n    DISPLAY_WIDTH = 2048"
    "\n    ON_ERROR = CONTINUE\n    RETRIES = 4 (minutes)\n    SAFE_DELETE";

// What an interactive session that runs one test prints.
std::string testSession(const std::string& replay, unsigned differences) {
  std::string summary = differences == 0
                            ? "\n\n\nNo regression differences found\n"
                            : "\n\n\nNumber of regression differences found: " +
                                  std::to_string(differences) + "\n";
  return kBanner + kPrompt + replay + summary + kPrompt + kEndOfInput +
         "\nTotal regression differences = " + std::to_string(differences) +
         "\n\nPress return to exit";
}

std::string marked(const std::vector<std::string>& lines, unsigned matched) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += std::string("\n ") + (i < matched ? ' ' : '*') + " " + lines[i];
  }
  return text;
}

std::string difference(const std::vector<std::string>& reference,
                       const std::vector<std::string>& test, unsigned matched) {
  return "\nReference:" + marked(reference, matched) +
         "\n\nSystem under test:" + marked(test, matched) + "\n";
}

const std::vector<std::string> kOptionLines = {"",
                                               "Options:",
                                               "    NOCOMMAND_DELAY",
                                               "    DISPLAY_WIDTH = 2048",
                                               "    ON_ERROR = CONTINUE",
                                               "    RETRIES = 4 (minutes)",
                                               "    SAFE_DELETE"};

std::string section(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(Regression, ACaptureReplaysWithoutDifference) {
  ScratchDirectory scratch;
  auto capture = runInteractive(
      "REGRESSION CAPTURE ref.txt\nSHOW OPTIONS\nSHOW XYZ\n?\nHELP\n"
      "REGRESSION TEST other.txt\nREGRESSION CAPTURE EXIT\n",
      scratch.path());
  EXPECT_OUTPUT(kBanner + kPrompt + "\nRegressionTest> " +
                    "\nRegressionTest> " + "\nRegressionTest> " +
                    "\nRegressionTest> " + "\nRegressionTest> " + kRunning +
                    "\nRegressionTest> " + kPrompt + kEndOfInput,
                capture.output);
  std::string reference = scratch.read("ref.txt");
  EXPECT_EQ(0u,
            reference.find("\n> SHOW OPTIONS\n" + section(kOptionLines) +
                           "> SHOW XYZ\n" + std::string(21, ' ') +
                           "^\nError: Syntax error at or near here\n> ?\n"));

  // The line that ended the capture is passed over: run again, it could
  // only fail.
  auto test = runInteractive("REGRESSION TEST ref.txt\n", scratch.path());
  EXPECT_OUTPUT(
      testSession("\nRegressionTest> SHOW OPTIONS\n\nRegressionTest> SHOW XYZ\n"
                  "\nRegressionTest> ?\n\nRegressionTest> HELP\n"
                  "\nRegressionTest> REGRESSION TEST other.txt\n" +
                      kRunning,
                  0),
      test.output);
  EXPECT_EQ(0, test.exitStatus);
}

TEST(Regression, CaptureFromProgramArgumentsRecordsReplayableCommands) {
  ScratchDirectory scratch;
  runArguments(
      {"REGRESSION CAPTURE ref.txt", "SHOW OPTIONS", "REGRESSION CAPTURE EXIT"},
      "", scratch.path());
  EXPECT_EQ("\n> SHOW OPTIONS\n" + section(kOptionLines) +
                "> REGRESSION CAPTURE EXIT\n",
            scratch.read("ref.txt"));
}

// The reference holds the command lines as typed, a manager's password
// among them: new or overwritten, it is its owner's only.
TEST(Regression, CaptureFileIsItsOwnersOnly) {
  ScratchDirectory scratch;
  std::string existing = scratch.write("old.txt", "shared\n");
  ASSERT_EQ(chmod(existing.c_str(), 0644), 0);
  for (const std::string name : {"new.txt", "old.txt"}) {
    runArguments({"REGRESSION CAPTURE " + name,
                  "SELECT MANAGER 127.0.0.78 USERNAME=admin PASSWORD=secret",
                  "REGRESSION CAPTURE EXIT"},
                 "", scratch.path());
    EXPECT_NE(scratch.read(name).find("PASSWORD=secret"), std::string::npos);
    struct stat status {};
    ASSERT_EQ(stat((scratch.path() + "/" + name).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << name;
  }
}

// A FILE line's script runs once in a replay: the reference records the
// script's lines as the FILE line's output, echoed as a replay echoes
// them. Only the lines of a script the capture began in are commands of
// their own. References of earlier versions, which recorded every script
// line as a command after a blank FILE section, replay as recorded.
TEST(Regression, AScriptInAReferenceRunsOnceInAReplay) {
  const std::string script = "SHOW OPTIONS\nSHOW XYZ\n";
  const std::string scriptLinesAsOutput =
      "\nRegressionTest> SHOW OPTIONS\n" + kCaptureOptions +
      "\nRegressionTest> SHOW XYZ\n" + std::string(21, ' ') +
      "^\nError: Syntax error at or near here\nRegressionTest> \n";
  const std::string scriptLinesAsCommands =
      "\n> SHOW OPTIONS\n" + kCaptureOptions + "\n> SHOW XYZ\n" +
      std::string(21, ' ') + "^\nError: Syntax error at or near here\n> \n";
  const struct {
    const char* name;
    std::string captured;  // typed lines; empty: the reference is written
    std::string reference;
    std::string replay;
  } cases[] = {
      {"captured at the prompt",
       "REGRESSION CAPTURE ref.txt\nFILE s.pelk\nREGRESSION CAPTURE EXIT\n",
       "\n> FILE s.pelk\n" + scriptLinesAsOutput +
           "\n> REGRESSION CAPTURE EXIT\n",
       "\nRegressionTest> FILE s.pelk\n"},
      {"captured by a script", "FILE capture.pelk\n",
       "\n> SHOW OPTIONS\n" + kCaptureOptions + "\n> FILE s.pelk\n" +
           scriptLinesAsOutput + "\n> REGRESSION CAPTURE EXIT\n",
       "\nRegressionTest> SHOW OPTIONS\n\nRegressionTest> FILE s.pelk\n"},
      {"recorded by an earlier version", "",
       "\n> FILE s.pelk\n" + scriptLinesAsCommands +
           "\n> REGRESSION CAPTURE EXIT\n",
       "\nRegressionTest> SHOW OPTIONS\n\nRegressionTest> SHOW XYZ\n"
       "\nRegressionTest> \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory scratch;
    scratch.write("s.pelk", script);
    scratch.write("capture.pelk",
                  "REGRESSION CAPTURE ref.txt\nSHOW OPTIONS\nFILE s.pelk\n"
                  "REGRESSION CAPTURE EXIT\n");
    if (c.captured.empty()) {
      scratch.write("ref.txt", c.reference);
    } else {
      runInteractive(c.captured, scratch.path());
    }
    EXPECT_OUTPUT(c.reference, scratch.read("ref.txt"));
    auto run = runInteractive("REGRESSION TEST ref.txt\n", scratch.path());
    EXPECT_OUTPUT(testSession(c.replay, 0), run.output);
  }
}

TEST(Regression, DifferencesAreMarkedFromTheFirstUnmatchedLine) {
  struct Case {
    const char* name;
    std::vector<std::string> reference;
    std::string report;
  };
  std::vector<std::string> edited = kOptionLines;
  edited[4] = "    ON_ERROR = HALT_ON_ERROR";
  std::vector<std::string> ignoredMiddle = kOptionLines;
  ignoredMiddle[3] = "    DISPLAY_WIDTH = ##IGNORE## whatever";
  ignoredMiddle[0] = "##IGNORE##";
  std::vector<std::string> ignoredButDifferentBefore = kOptionLines;
  ignoredButDifferentBefore[3] = "    DISPLAY_HEIGHT = ##IGNORE##";
  std::vector<std::string> shorter(kOptionLines.begin(),
                                   kOptionLines.end() - 1);
  std::vector<std::string> longer = kOptionLines;
  longer.push_back("    EXTRA");
  const Case cases[] = {
      {"edited line", edited, difference(edited, kOptionLines, 4)},
      {"marker in the middle and at the start", ignoredMiddle, ""},
      {"marker after a different text", ignoredButDifferentBefore,
       difference(ignoredButDifferentBefore, kOptionLines, 3)},
      {"one extra line under test", shorter,
       difference(shorter, kOptionLines, 6)},
      {"a missing last line", longer, difference(longer, kOptionLines, 7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory scratch;
    scratch.write("ref.txt", "\n> SHOW OPTIONS\n" + section(c.reference) +
                                 "> SHOW XYZ\n" + std::string(21, ' ') +
                                 "^\nError: Syntax error at or near here");
    auto run = runInteractive("REGRESSION TEST ref.txt\n", scratch.path());
    EXPECT_OUTPUT(testSession("\nRegressionTest> SHOW OPTIONS\n" + c.report +
                                  "\nRegressionTest> SHOW XYZ\n",
                              c.report.empty() ? 0 : 1),
                  run.output);
  }
}

TEST(Regression, ExitInAReferenceEndsTheTestAndTheSession) {
  ScratchDirectory scratch;
  scratch.write("ref.txt", "\n> SHOW ?\nbogus\n> EXIT\n\n> SHOW OPTIONS\n" +
                               section(kOptionLines));
  auto run =
      runInteractive("REGRESSION TEST ref.txt\nSHOW OPTIONS\n", scratch.path());
  std::vector<std::string> showHelp = {"",
                                       "  The options are:",
                                       "    DISK",
                                       "    DISK_GROUP",
                                       "    DR_GROUP",
                                       "    FOLDER",
                                       "    HOST",
                                       "    LUN",
                                       "    MANAGER",
                                       "    MONITOR",
                                       "    OPTIONS",
                                       "    POWER",
                                       "    SYSTEM",
                                       "    VDISK",
                                       "    WORLD_WIDE_NAME"};
  EXPECT_OUTPUT(
      kBanner + kPrompt + "\nRegressionTest> SHOW ?\n" +
          difference({"bogus"}, showHelp, 0) + "\nRegressionTest> EXIT\n" +
          "\n\n\nNumber of regression differences found: 1\n" +
          "\nTotal regression differences = 1\n\nPress return to exit",
      run.output);
  EXPECT_EQ(0, run.exitStatus);
}

// A reference line that runs on past 1 MiB without a line feed ends the
// test with an error instead of filling the memory.
TEST(Regression, AnEndlessLineEndsTheTestWithAnError) {
  ScratchDirectory scratch;
  scratch.write(
      "endless.txt",
      "\n> SHOW OPTIONS\n" + std::string(3 << 20, 'x') + "\n> SHOW XYZ\n");
  const std::string kEndless =
      "\nError: Input line too long, limit 1048576 characters";
  const struct {
    const char* reference;
    std::string replay;
  } cases[] = {
      {"/dev/zero", kEndless},
      {"endless.txt", "\nRegressionTest> SHOW OPTIONS\n" + kEndless},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reference);
    auto run = runInteractive(
        std::string("REGRESSION TEST ") + c.reference + "\n", scratch.path());
    EXPECT_OUTPUT(testSession(c.replay, 0), run.output);
    EXPECT_FALSE(run.timedOut);
  }
}

TEST(Regression, RefusalsAndMissingFiles) {
  ScratchDirectory scratch;
  auto run = runInteractive(
      "SET OPTIONS ON_ERROR=HALT_ON_ERROR\nREGRESSION TEST missing.txt\n"
      "REGRESSION CAPTURE EXIT\nSHOW OPTIONS\n",
      scratch.path());
  EXPECT_OUTPUT(
      kBanner + kPrompt + kPrompt +
          "\nError: Open of missing.txt failed, No such file or directory" +
          kPrompt + "\nError: Regression capture is not already in progress" +
          "\n\nPress return to exit",
      run.output);
  EXPECT_EQ(1, run.exitStatus);
}

}  // namespace
}  // namespace e2e
