// PELK run by a job: --quiet prints the text alone with error messages on
// the standard error, --json one object per executed command line, and
// both end with status 1 when any command failed, whatever ON_ERROR says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_lines.h"
#include "pelk_runner.h"

namespace e2e {
namespace {

const std::string kOptions =
    "\nOptions:\n    COMMAND_DELAY = 10 (seconds)\n    DISPLAY_WIDTH = 80"
    "\n    ON_ERROR = CONTINUE\n    RETRIES = 4 (minutes)\n    SAFE_DELETE";
const std::string kNoManager =
    "Error: Command not valid until a manager is selected (SELECT MANAGER)";

TEST(Automation, ExitStatusIsOneWhenAnyCommandFailedWhateverOnError) {
  const struct {
    std::vector<std::string> arguments;
    int status;
    bool optionsShown;  // the last line, SHOW OPTIONS, ran
  } cases[] = {
      {{"--json", "SHOW OPTIONS"}, 0, true},
      {{"--json", "SHOW MANAGER", "SHOW OPTIONS"}, 1, true},
      {{"--quiet", "SHOW OPTIONS"}, 0, true},
      {{"--quiet", "SHOW MANAGER", "SHOW OPTIONS"}, 1, true},
      // ON_ERROR still decides whether the run stops at the failure.
      {{"--json", "SET OPTIONS ON_ERROR=HALT_ON_ERROR", "SHOW MANAGER",
        "SHOW OPTIONS"},
       1,
       false},
      {{"--quiet", "SET OPTIONS ON_ERROR=EXIT_ON_ERROR", "SHOW MANAGER",
        "SHOW OPTIONS"},
       1,
       false},
      // Without the options, as ever: only a stop on error counts.
      {{"SHOW MANAGER", "SHOW OPTIONS"}, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
    testing_support::ProgramRun run = runArguments(c.arguments);
    EXPECT_EQ(c.status, run.exitStatus);
    EXPECT_EQ(c.optionsShown,
              run.output.find("Options:") != std::string::npos ||
                  run.output.find("\"options\"") != std::string::npos);
    // Nobody waits for a key at the end of a job.
    EXPECT_EQ(std::string::npos, run.output.find("Press return"));
  }
}

TEST(Automation, QuietPrintsTheTextAloneAndErrorsOnStandardError) {
  testing_support::ProgramRun run =
      runArguments({"--quiet", "SHOW OPTIONS", "SHOW MANAGER", "SHOW XYZ"});
  EXPECT_OUTPUT(kOptions + "\n", run.output);
  EXPECT_OUTPUT("SHOW MANAGER\n" + kNoManager +
                    "\nSHOW XYZ\n     ^\nError: Syntax error at or near here\n",
                run.errors);
  EXPECT_EQ(1, run.exitStatus);

  // From standard input: no prompt, and its end is no error.
  run = runArguments({"--quiet"}, "SHOW OPTIONS\n\n! a comment\n");
  EXPECT_OUTPUT(kOptions + "\n", run.output);
  EXPECT_OUTPUT("", run.errors);
  EXPECT_EQ(0, run.exitStatus);
}

TEST(Automation, EveryExecutedLineGivesOneObjectFromAnySource) {
  testing_support::ScratchDirectory scratch;
  std::string script =
      scratch.write("job.pelk", "! a comment\n\n   \nSHOW OPTIONS\nSHOW XYZ\n");
  std::string tooLong(3000, 'x');
  testing_support::ProgramRun run = runArguments(
      {"--json"}, "SET OPTIONS NOCOMMAND_DELAY\n\nFILE " + script + "\nFILE " +
                      scratch.path() + "/missing.pelk\n" + tooLong +
                      "\n! done\nEXIT\nSHOW OPTIONS\n");
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(7u, lines.size()) << run.output;
  EXPECT_EQ("SET OPTIONS NOCOMMAND_DELAY", lines[0]["command"]);
  // A script's lines come before the FILE line they ran in.
  EXPECT_EQ("SHOW OPTIONS", lines[1]["command"]);
  EXPECT_EQ(true, lines[1]["ok"]);
  EXPECT_EQ(0, lines[1]["options"]["COMMAND_DELAY"]);
  EXPECT_EQ("SHOW XYZ", lines[2]["command"]);
  EXPECT_EQ("Error: Syntax error at or near here", lines[2]["error"]);
  EXPECT_EQ(6, lines[2]["column"]);
  EXPECT_EQ("FILE " + script, lines[3]["command"]);
  EXPECT_EQ(true, lines[3]["ok"]);
  // A script that cannot be opened, and a line too long to run, fail.
  EXPECT_EQ("Error: Open of " + scratch.path() +
                "/missing.pelk failed, No such file or directory",
            lines[4]["error"]);
  EXPECT_EQ(tooLong.substr(0, 2048), lines[5]["command"]);
  EXPECT_EQ("Error: Input line too long, limit 2048 characters",
            lines[5]["error"]);
  EXPECT_EQ("EXIT", lines[6]["command"]);
  EXPECT_EQ(1, run.exitStatus);
}

TEST(Automation, OptionsShowTheirValuesAsKeys) {
  testing_support::ProgramRun run = runArguments(
      {"--json", "SET OPTIONS NORETRIES NOSAFE_DELETE DISPLAY_WIDTH=120",
       "SHOW OPTIONS", "SET OPTIONS ON_ERROR=HALT_ON_ERROR", "SHOW OPTIONS"});
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(4u, lines.size()) << run.output;
  EXPECT_EQ(Json::parse(R"({"COMMAND_DELAY": 10, "DISPLAY_WIDTH": 120,
                            "ON_ERROR": "CONTINUE", "RETRIES": 0,
                            "SAFE_DELETE": false})"),
            lines[1]["options"]);
  EXPECT_EQ("HALT_ON_ERROR", lines[3]["options"]["ON_ERROR"]);
  EXPECT_EQ(0, run.exitStatus);
}

}  // namespace
}  // namespace e2e
