// Names, comments and unit identifiers are checked while the line is
// parsed, before anything is sent: each check's message, with the caret
// under the offending character of the typed line.
#include <gtest/gtest.h>

#include "pelk_runner.h"

namespace e2e {
namespace {

struct LineCase {
  std::string line;
  std::string printed;
};

std::string invalid(char c, const std::string& what) {
  return "\nError: Invalid character \"" + std::string(1, c) + "\" in " + what +
         " at or near here";
}

// The prompt "NoSystemSelected> " is 18 characters wide, so a character at
// offset P of the line stands in column 18 + P.
const LineCase kCases[] = {
    {"ADD VDISK a?b", caret(29) + invalid('?', "name")},
    {"ADD HOST a&b", caret(28) + invalid('&', "name")},
    {"ADD HOST \"\\Hosts\\web,01\"", caret(38) + invalid(',', "name")},
    {"ADD FOLDER f COMMENT=\"50% full\"", caret(42) + invalid('%', "comment")},
    {"SET VDISK v NAME=new|name", caret(38) + invalid('|', "name")},
    {"SET DR_GROUP d NAME=x*y", caret(39) + invalid('*', "name")},
    {"ADD VDISK " + std::string(33, 'n'),
     "\nError: Name too long, limit 32 characters"},
    {"SET HOST h COMMENT=\"" + std::string(129, 'c') + "\"",
     "\nError: Comment too long, limit 128 characters"},
    {"SET VDISK v NAME=\\Virtual Disks\\v",
     "\nError: Cannot specify directory or \\ACTIVE on the new name"},
    {"ADD VDISK v OS_UNIT_ID=32768", "\nError: Maximum OS ID is 32767"},
    {"SET SYSTEM s CONSOLE_LUN_ID=40000", "\nError: Maximum OS ID is 32767"},
};

TEST(RequestValidation, EachCheckReportsWithItsCaret) {
  for (const LineCase& c : kCases) {
    SCOPED_TRACE(c.line);
    auto run = runInteractive(c.line + "\n");
    EXPECT_OUTPUT(kBanner + kPrompt + c.printed + kPrompt + kEndOfInput,
                  run.output);
  }
}

// A value that passes its checks leaves the command to its precondition.
TEST(RequestValidation, TheLimitsThemselvesAreAccepted) {
  const std::string kNoManager =
      "\nError: Command not valid until a manager is selected (SELECT "
      "MANAGER)";
  const std::string kLines[] = {
      "ADD HOST \\Hosts\\" + std::string(32, 'n'),
      "SET HOST h COMMENT=\"" + std::string(128, 'c') + "\"",
      "SET VDISK v OS_UNIT_ID=32767",
  };
  for (const std::string& line : kLines) {
    SCOPED_TRACE(line);
    auto run = runInteractive(line + "\n");
    EXPECT_OUTPUT(kBanner + kPrompt + kNoManager + kPrompt + kEndOfInput,
                  run.output);
  }
}

}  // namespace
}  // namespace e2e
