// The command language as an administrator meets it at the prompt: every
// parse outcome with its caret, abbreviations, hidden and full-word
// keywords, and '?' help at each place it is answered.
#include <gtest/gtest.h>

#include "pelk_runner.h"

namespace e2e {
namespace {

struct LineCase {
  const char* line;
  std::string printed;  // what the line prints after the prompt
};

const std::string kSyntaxError = "\nError: Syntax error at or near here";
const std::string kAmbiguous = "\nError: Ambiguous keyword at or before here";
const std::string kIncomplete = "\nError: Incomplete command";
const std::string kDefaultOptions =
    "\nOptions:\n    COMMAND_DELAY = 10 (seconds)\n    DISPLAY_WIDTH = 80"
    "\n    ON_ERROR = CONTINUE\n    RETRIES = 4 (minutes)\n    SAFE_DELETE";

// The prompt name "NoSystemSelected" is 16 characters: a syntax error at
// offset P puts the caret after 16 + P + 2 blanks, an ambiguous word ending
// at offset P after 16 + P + 1.
const LineCase kLineCases[] = {
    {"show options", kDefaultOptions},
    {"SHO OP", kDefaultOptions},
    {"SHOW XYZ", caret(23) + kSyntaxError},
    {"SH", caret(19) + kAmbiguous},
    {"  SH OPTIONS", caret(21) + kAmbiguous},
    {"SHOW D", caret(23) + kAmbiguous},
    {"SET OPTIONS", kIncomplete},
    {"SET OPTIONS DISPLAY_WIDTH 100", caret(44) + kSyntaxError},
    {"SET OPTIONS DISPLAY_WIDTH=", kIncomplete},
    {"SET OPTIONS DISPLAY_WIDTH=0x64", caret(44) + kSyntaxError},
    {"SET OPTIONS DISPLAY_WIDTH=4294967296", caret(44) + kSyntaxError},
    {"SET OPTIONS DISPLAY_WIDTH=4294967295",
     "\nError: DISPLAY_WIDTH must be 70 to 500"},
    {"EXIT now", caret(23) + kSyntaxError},
    // A tab between words reads as a blank, and stands in the caret line
    // as in the line, so the caret meets its character; inside quotes a
    // tab is refused like any other control character.
    {"SHOW\tOPTIONS", kDefaultOptions},
    {"\tSHOW\tXYZ", std::string(18, ' ') + "\t    \t^" + kSyntaxError},
    {"SET\tOPTIONS DISPLAY_WIDTH\t=\t4294967295",
     "\nError: DISPLAY_WIDTH must be 70 to 500"},
    {"\t! a comment indented with a tab", ""},
    {"SELECT MANAGER \"a\tb\" USERNAME=u", caret(18) + kSyntaxError},
    {"ADD VDISK x COMMENT=\"a\tb\"", caret(18) + kSyntaxError},
    {"SHOW \xc3\xa9 OPTIONS", caret(18) + kSyntaxError},
    // Bytes 128 to 255 at the end of a line are removed before parsing.
    {"SHOW OPTIONS \xc3\xa9", kDefaultOptions},
    // Full-word keywords are never abbreviated; hidden ones may be.
    {"DEB", caret(18) + kSyntaxError},
    {"DEBUG", ""},
    {"DEBUG DEBUG", "\nDEBUG: DEBUG DEBUG always successful"},
    {"DEBUG DEB", caret(24) + kSyntaxError},
    {"REG", kIncomplete},
    {"SHO TI", caret(22) + kSyntaxError},
    // A value holding '=' must be bracketed.
    {"SELECT MANAGER h PASSWORD=ab=cd", caret(46) + kSyntaxError},
    // A bracketed value that is empty or never closed is refused at its
    // opening bracket rather than sent half-parsed.
    {"SELECT MANAGER \"abc", caret(33) + kSyntaxError},
    {"SELECT MANAGER ( abc USERNAME=u", caret(33) + kSyntaxError},
    {"SELECT MANAGER \"\" USERNAME=u", caret(33) + kSyntaxError},
    {"ADD VDISK x COMMENT=(two words)", caret(38) + kSyntaxError},
    {"ADD VDISK x COMMENT=\"\"", caret(38) + kSyntaxError},
    // Commands whose server side is not reachable without a manager.
    {"ADD VDISK \"two words\" COMMENT=\"a = (b)\" SIZE=10",
     "\nError: Command not valid until a manager is selected (SELECT "
     "MANAGER)"},
    {"SHOW MANAGER",
     "\nError: Command not valid until a manager is selected (SELECT "
     "MANAGER)"},
};

TEST(CommandLanguage, EachLineReportsItsOutcome) {
  for (const LineCase& c : kLineCases) {
    SCOPED_TRACE(c.line);
    auto run = runInteractive(std::string(c.line) + "\n");
    EXPECT_OUTPUT(kBanner + kPrompt + c.printed + kPrompt + kEndOfInput,
                  run.output);
    EXPECT_EQ(0, run.exitStatus);
  }
}

const LineCase kHelpCases[] = {
    {"?",
     "\n  The options are:\n    ADD\n    CAPTURE\n    DELETE\n    EMVERSION"
     "\n    EXERCISE_DISK\n    EXIT\n    FILE\n    HELP\n    REDISCOVER"
     "\n    RESTART\n    SELECT\n    SET\n    SHOW\n    SHUTDOWN"},
    {"ADD SYSTEM ?", "\n  The only option is:\n    Name of storage system"},
    {"ADD SYSTEM ?anything after it",
     "\n  The only option is:\n    Name of storage system"},
    {"SET OPTIONS ON_ERROR ?",
     "\n  The only option is: = [get help at a lower level]"},
    {"SET OPTIONS ON_ERROR=?",
     "\n  The options are:\n    CONTINUE\n    EXIT_ON_ERROR\n    "
     "HALT_ON_ERROR"},
    {"SET OPTIONS DISPLAY_WIDTH ?",
     "\n  The only option is: = (decimal value)"},
    {"SET OPTIONS DISPLAY_WIDTH=?", "\n  The only option is: (decimal value)"},
    {"ADD VDISK x COMMENT ?",
     "\n  The only option is: = (string enclosed in quotes)"},
    {"ADD VDISK x COMMENT=?",
     "\n  The only option is: (string enclosed in quotes)"},
    {"EXIT ?", "\n  This command has no additional keywords or parameters"},
    {"SHOW OPTIONS ?",
     "\n  This command has no additional keywords or parameters"},
    {"SHOW VDISK ?",
     "\n  The options are:\n    FULL\n    NOFULL\n    Name of object to show"},
    // Every DEBUG option is hidden; the heading still counts them.
    {"DEBUG ?", "\n  The options are:"},
    {"ADD LUN ?", "\n  The only option is:\n    Logical Unit Number"},
    {"ADD VDISK Morrow REDUNDANCY=?",
     "\n  The options are:\n    VRAID0\n    VRAID1\n    VRAID5"},
    {"SHOW ?",
     "\n  The options are:\n    DISK\n    DISK_GROUP\n    DR_GROUP\n    FOLDER"
     "\n    HOST\n    LUN\n    MANAGER\n    MONITOR\n    OPTIONS\n    POWER"
     "\n    SYSTEM\n    VDISK\n    WORLD_WIDE_NAME"},
};

TEST(CommandLanguage, QuestionMarkListsWhatMayFollow) {
  for (const LineCase& c : kHelpCases) {
    SCOPED_TRACE(c.line);
    auto run = runInteractive(std::string(c.line) + "\n");
    EXPECT_OUTPUT(kBanner + kPrompt + c.printed + kPrompt + kEndOfInput,
                  run.output);
  }
}

TEST(CommandLanguage, HelpPrintsItsTextWhole) {
  auto run = runArguments({"HELP"});
  const std::string text =
      "\n"
      "Command syntax help is available at any point within a command by\n"
      "typing a '?'\n\nFor example:\n\nTollan> ADD VDISK Vesper ?\n\n"
      "  The options are:\n    COMMENT\n    DISK_GROUP\n"
      "    MIRRORED_WRITEBACK\n    NOMIRRORED_WRITEBACK\n    OS_UNIT_ID\n"
      "    PREFERRED_PATH\n    NOPREFERRED_PATH\n    READ_CACHE\n"
      "    NOREAD_CACHE\n    REDUNDANCY\n    SIZE\n    WORLD_WIDE_LUN_NAME\n"
      "    WRITE_PROTECT\n    NOWRITE_PROTECT\n\n"
      "Arguments that require keywords may also be queried, for example:\n\n"
      "Tollan> ADD VDISK Morrow REDUNDANCY=?\n\n  The options are:\n"
      "    VRAID0\n    VRAID1\n    VRAID5\n";
  EXPECT_OUTPUT(kBanner + echo("HELP") + text, run.output);
}

TEST(CommandLanguage, ShowTimeWritesTheLocalTimeInItsFixedLayout) {
  auto run = runArguments({"SHOW TIME"});
  std::string after =
      run.output.substr(kBanner.size() + echo("SHOW TIME").size());
  EXPECT_TRUE(testing::internal::RE::FullMatch(
      after,
      "\n[A-Z][a-z][a-z] [A-Z][a-z][a-z] [ 123][0-9] "
      "[0-9][0-9]:[0-9][0-9]:[0-9][0-9] [0-9][0-9][0-9][0-9]"))
      << testing_support::escaped(after);
}

TEST(CommandLanguage, ConfirmationAcceptsOnlyYesIgnoringBlanks) {
  const std::string question =
      "\nThis is a test of the \"Are you sure\" capability of PELK"
      "\n\nAre you sure you wish to execute this command?\n"
      "If so, type \"Yes\" (Note: case sensititve) ";
  struct {
    const char* answer;
    std::string printed;
  } cases[] = {
      {" Y e s \n", "\nA SUCCESS was returned"},
      {"Yes\n", "\nA SUCCESS was returned"},
      {"yes\n", "\nCommand aborted\n\nA FAILURE was returned"},
      {"YES\n", "\nCommand aborted\n\nA FAILURE was returned"},
      {"", "\nCommand aborted\n\nA FAILURE was returned"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    auto run = runArguments({"DEBUG ARE_YOU_SURE"}, c.answer);
    EXPECT_OUTPUT(kBanner + echo("DEBUG ARE_YOU_SURE") + question + c.printed,
                  run.output);
    EXPECT_EQ(0, run.exitStatus);
  }
}

}  // namespace
}  // namespace e2e
