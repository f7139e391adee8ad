// Server texts at a terminal show their control characters instead of
// sending them; files and pipes get the bytes as they are.
#include "session/shown_text.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace shell {
namespace {

using namespace std::string_literals;

TEST(ShownText, ControlCharactersAreShownAtATerminalOnly) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(0, openpty(&master, &slave, nullptr, nullptr, nullptr));
  std::FILE* terminal = fdopen(slave, "w");
  std::FILE* file = std::tmpfile();
  ASSERT_NE(nullptr, terminal);
  const struct {
    std::string text;
    std::string atTerminal;
  } cases[] = {
      {"Alpha \\Hosts\\h1", "Alpha \\Hosts\\h1"},
      {"tab\tand\nline feed", "tab\tand\nline feed"},
      // A window title and a colour set by escape sequences.
      {"Evil\x1b]2;owned\x07\x1b[31m", "Evil^[]2;owned^G^[[31m"},
      {"cr\rdel\x7f nul"s + '\0', "cr^Mdel^? nul^@"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},  // bytes above 127 are text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.atTerminal);
    EXPECT_EQ(c.atTerminal, shownText(c.text, terminal));
    EXPECT_EQ(c.text, shownText(c.text, file));
  }
  std::fclose(file);
  std::fclose(terminal);
  close(master);
}

}  // namespace
}  // namespace shell
