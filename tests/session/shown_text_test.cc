// Server texts at a terminal show their control characters (C0 and C1)
// and direction overrides instead of sending them; files and pipes get
// the bytes as they are, whether the text is made or written.
#include "session/shown_text.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace session {
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
      // C1 controls, as bytes of no UTF-8 character and as characters.
      {"\x9b"
       "31m\x85",
       "M-^[31mM-^E"},
      {"\xc2\x9b"
       "31m \xc2\x80\xc2\x9f",
       "M-^[31m M-^@M-^_"},
      // Direction overrides and isolates, which make a name read as another.
      {"a\xe2\x80\xae"
       "cba\xe2\x80\xac",
       "a<U+202E>cba<U+202C>"},
      {"\xe2\x80\xaa\xe2\x81\xa6x\xe2\x81\xa9", "<U+202A><U+2066>x<U+2069>"},
      // Their neighbours stay, though their bytes look alike: no-break
      // space, U+2029, U+202F, U+2065, U+206A, the euro sign, and bytes
      // above 0x9F of other encodings.
      {"\xc2\xa0\xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\xe2\x82\xac"
       "\xe9",
       "\xc2\xa0\xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\xe2\x82\xac"
       "\xe9"},
      // What is not UTF-8 is judged byte by byte: an overlong form, a
      // surrogate, a sequence cut short.
      {"\xc1\x9b|\xed\xa0\x80|\xe2\x80", "\xc1M-^[|\xed\xa0M-^@|\xe2M-^@"},
  };
  // What is written to the terminal arrives unchanged at its other end.
  termios raw{};
  ASSERT_EQ(0, tcgetattr(slave, &raw));
  cfmakeraw(&raw);
  ASSERT_EQ(0, tcsetattr(slave, TCSANOW, &raw));
  auto written = [&](std::FILE* stream, int readFrom, const std::string& text,
                     std::size_t expected) {
    putShown(text, stream);
    std::fflush(stream);
    if (stream == file) std::rewind(file);
    std::string got(expected, '\0');
    std::size_t have = 0;
    // A short write fails the comparison rather than hang the test.
    pollfd readable{readFrom, POLLIN, 0};
    while (have < expected && poll(&readable, 1, 2000) == 1) {
      ssize_t n = read(readFrom, got.data() + have, expected - have);
      if (n <= 0) break;
      have += static_cast<std::size_t>(n);
    }
    got.resize(have);
    if (stream == file) std::rewind(file);
    return got;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.atTerminal);
    EXPECT_EQ(c.atTerminal, shownText(c.text, terminal));
    EXPECT_EQ(c.text, shownText(c.text, file));
    EXPECT_EQ(c.atTerminal,
              written(terminal, master, c.text, c.atTerminal.size()));
    EXPECT_EQ(c.text, written(file, fileno(file), c.text, c.text.size()));
  }
  std::fclose(file);
  std::fclose(terminal);
  close(master);
}

}  // namespace
}  // namespace session
