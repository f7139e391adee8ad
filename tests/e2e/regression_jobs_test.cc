// REGRESSION in a job: with --json or --quiet a test that found
// differences fails its line and the run, a clean one passes, and every
// failed line says why, also when its message went to the reference or
// to the replay's scratch file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_lines.h"
#include "pelk_runner.h"

namespace e2e {
namespace {

using testing_support::ScratchDirectory;

const std::string kSyntaxError = "Error: Syntax error at or near here";

// Recorded in text mode: a failing line, a script, and the closing line.
void captureReference(const ScratchDirectory& scratch) {
  scratch.write("s.pelk", "SHOW OPTIONS\n");
  runArguments({"REGRESSION CAPTURE ref.txt", "SHOW XYZ", "FILE s.pelk",
                "REGRESSION CAPTURE EXIT"},
               "", scratch.path());
}

TEST(RegressionInJobs, OnlyATestWithDifferencesFailsTheRun) {
  ScratchDirectory scratch;
  captureReference(scratch);
  std::string reference = scratch.read("ref.txt");
  std::string edited = reference;
  edited.replace(edited.find("ON_ERROR"), 8, "ON_EROR");
  scratch.write("edited.txt", edited);
  scratch.write("endless.txt",
                "\n> SHOW OPTIONS\n" + std::string(3 << 20, 'x') + "\n");
  const std::string kEndless =
      "Error: Input line too long, limit 1048576 characters";
  const struct {
    const char* reference;
    bool ok;
    int differences;
    std::string error;
  } cases[] = {
      {"ref.txt", true, 0, ""},
      {"edited.txt", false, 1, "Number of regression differences found: 1"},
      {"endless.txt", false, 0, kEndless},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reference);
    const std::string test = std::string("REGRESSION TEST ") + c.reference;
    auto run = runArguments({"--json", test}, "", scratch.path());
    std::vector<Json> lines = jsonLines(run.output);
    ASSERT_FALSE(lines.empty());
    const Json& last = lines.back();
    EXPECT_EQ(test, last["command"]);
    EXPECT_EQ(c.ok, last["ok"]);
    EXPECT_EQ(c.differences, last["differences"]);
    EXPECT_EQ(c.error, last.value("error", ""));
    EXPECT_EQ(c.ok ? 0 : 1, run.exitStatus);

    run = runArguments({"--quiet", test}, "", scratch.path());
    EXPECT_EQ(c.ok ? 0 : 1, run.exitStatus);
    if (!c.ok) {
      EXPECT_NE(std::string::npos, run.errors.find(test + "\n" + c.error))
          << run.errors;
    }
  }
  // A recorded failure that stops the session on an error fails it.
  auto stopped = runArguments({"--quiet", "SET OPTIONS ON_ERROR=EXIT_ON_ERROR",
                               "REGRESSION TEST ref.txt", "SHOW OPTIONS"},
                              "", scratch.path());
  EXPECT_EQ(1, stopped.exitStatus);
  EXPECT_EQ(std::string::npos, stopped.output.find("\nOptions:"));
  // The replay left the reference as it was.
  EXPECT_EQ(reference, scratch.read("ref.txt"));
}

// While a capture or a test runs, a failed line's message goes to the
// reference or the scratch file as on the screen, and the job reads it
// with the line all the same.
TEST(RegressionInJobs, FailedLinesSayWhyWhileACaptureOrTestRuns) {
  ScratchDirectory scratch;
  auto run =
      runArguments({"--json", "REGRESSION CAPTURE ref.txt", "SHOW XYZ",
                    "REGRESSION TEST other.txt", "REGRESSION CAPTURE EXIT",
                    "REGRESSION CAPTURE EXIT", "REGRESSION TEST ref.txt"},
                   "", scratch.path());
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(8u, lines.size()) << run.output;
  const std::string kRunning =
      "Error: Regression in some form is already running";
  const struct {
    std::size_t line;
    const char* command;
    std::string error;
    int column;
  } failed[] = {
      {1, "SHOW XYZ", kSyntaxError, 6},
      {2, "REGRESSION TEST other.txt", kRunning, 0},
      {4, "REGRESSION CAPTURE EXIT",
       "Error: Regression capture is not already in progress", 0},
      // Replayed: the same lines, their messages read from the scratch file.
      {5, "SHOW XYZ", kSyntaxError, 6},
      {6, "REGRESSION TEST other.txt", kRunning, 0},
  };
  for (const auto& f : failed) {
    SCOPED_TRACE(f.line);
    EXPECT_EQ(f.command, lines[f.line]["command"]);
    EXPECT_EQ(false, lines[f.line]["ok"]);
    EXPECT_EQ(f.error, lines[f.line]["error"]);
    EXPECT_EQ(f.column, lines[f.line].value("column", 0));
  }
  EXPECT_EQ(true, lines[7]["ok"]);
  EXPECT_EQ(0, lines[7]["differences"]);
  // The reference holds the messages as a capture on the screen records
  // them: those the screen shows apart from the output are not in it.
  EXPECT_OUTPUT("\n> SHOW XYZ\n" + std::string(21, ' ') + "^\n" + kSyntaxError +
                    "\n> REGRESSION TEST other.txt\n"
                    "\n> REGRESSION CAPTURE EXIT\n",
                scratch.read("ref.txt"));
}

}  // namespace
}  // namespace e2e
