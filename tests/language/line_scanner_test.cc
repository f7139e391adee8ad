// Where a '?' typed at the end of a line asks for help: where the parser
// would answer it, and nowhere else.
#include "language/line_scanner.h"

#include <gtest/gtest.h>

namespace language {
namespace {

TEST(LineScanner, QuestionAsksHelpWhereTheParserAnswersIt) {
  const struct {
    const char* line;
    bool asks;
  } cases[] = {
      {"", true},
      {"SHOW ", true},
      {"SHOW   ", true},
      {"SET OPTIONS ON_ERROR=", true},
      {"SET OPTIONS ON_ERROR = ", true},
      {"ADD VDISK x COMMENT=\"two words\"", true},
      {"ADD VDISK (my disk)", true},
      {"SHOW", false},
      {"SHOW V", false},
      {"ADD VDISK x SIZE=1", false},
      {"SHOW VDISK \"\\Virtual Disks\\", false},
      {"SHOW VDISK \"\"", false},
      {"ADD VDISK (my", false},
      // A tab between words is a blank; inside brackets it is refused.
      {"SHOW\t", true},
      {"SET OPTIONS ON_ERROR\t=\t", true},
      {"ADD VDISK (my\tdisk) ", false},
      {"ADD VDISK \"my\t", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.asks, questionAsksHelp(c.line)) << "line: [" << c.line << "]";
  }
}

}  // namespace
}  // namespace language
