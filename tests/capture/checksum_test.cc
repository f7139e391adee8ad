// The checksum a step file is sealed with, and CAPTURE VALIDATE telling an
// unmodified script from a modified one.
#include "capture/checksum.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "session/tracked_memory.h"
#include "shell/execute_line.h"
#include "support/run_program.h"

namespace capture {
namespace {

using testing_support::ScratchDirectory;

const char kBody[] =
    "! \n! PELK CAPTURE script checksum start\n! Captured for the test\n"
    "ADD HOST h1 WORLD_WIDE_NAME=5000-1fe1-0000-0001\n";

// Writes a step file the way a capture closes it and returns its text.
std::string sealed(const ScratchDirectory& scratch, const std::string& body) {
  std::string path = scratch.write("sealed.pelk", body);
  std::FILE* file = std::fopen(path.c_str(), "r+");
  EXPECT_EQ(0, writeChecksumEndLine(file));
  std::fclose(file);
  return scratch.read("sealed.pelk");
}

// Runs one command line and returns what it printed.
std::string runLine(const std::string& line) {
  char* printed = nullptr;
  size_t size = 0;
  std::FILE* capture = open_memstream(&printed, &size);
  session::outputStream = capture;
  auto* context = session::trackedNew<session::CommandContext>("quill_main", 0);
  context->session =
      session::trackedNew<session::SessionState>("quill_main", 0);
  std::string copy = line;
  shell::executeLine(*context, copy.data(), copy.size(), false);
  session::outputStream = stdout;
  std::fclose(capture);
  std::string text(printed, size);
  std::free(printed);
  session::releaseAll();
  return text;
}

TEST(CaptureChecksum, FoldsEachByteAndRotatesLeft) {
  EXPECT_EQ(0x6eu, CaptureChecksum(kChecksumSeed, "abc", 3));
  EXPECT_EQ(foldLine(kChecksumSeed, "abc", 3, true),
            foldLine(kChecksumSeed, "abc\r", 4, true));
}

TEST(CaptureChecksum, SealedFileEndsWithTheEmptyCommentAndTheEndLine) {
  ScratchDirectory scratch;
  std::string text = sealed(scratch, kBody);
  std::string covered = std::string(kBody).substr(3) + "! \n";
  char expected[64];
  std::snprintf(expected, sizeof expected, "! %s%x\n", kChecksumEndText,
                CaptureChecksum(kChecksumSeed, covered.data(), covered.size()));
  EXPECT_EQ(std::string(kBody) + "! \n" + expected, text);
}

TEST(CaptureValidate, TellsUnmodifiedFromModifiedScripts) {
  const std::string unmodified =
      "\nUnmodified CAPTURE script between checksum start and end";
  const std::string modified = "\nError: CAPTURE script has been modified";
  ScratchDirectory scratch;
  const std::string good = sealed(scratch, kBody);
  std::string oneByte = good;
  oneByte[oneByte.find("h1")] = 'H';
  std::string withoutEnd = good.substr(0, good.rfind("! PELK"));
  std::string crlf;
  for (char c : good)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string withoutStart = good;
  withoutStart.replace(withoutStart.find("start"), 5, "begin");
  struct {
    const char* name;
    std::string contents;
    std::string printed;
  } cases[] = {
      {"as written", good, unmodified},
      {"text around it", "! notes\nanything\n" + good + "trailer\n",
       unmodified},
      {"line ends converted to CR LF", crlf, unmodified},
      {"one byte changed", oneByte, modified},
      {"end line deleted", withoutEnd, modified},
      {"end line with no number", withoutEnd + "! " + kChecksumEndText + "zz\n",
       modified},
      {"no start marker", withoutStart,
       "\nError: Not a CAPTURE generated script"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = scratch.write("script.pelk", c.contents);
    EXPECT_EQ(c.printed, runLine("CAPTURE VALIDATE " + path));
  }
  EXPECT_EQ("\nError: Open of " + scratch.path() +
                "/none.pelk failed, No such file or directory",
            runLine("CAPTURE VALIDATE " + scratch.path() + "/none.pelk"));
}

TEST(CaptureValidate, AChecksumOfFewerThanEightDigitsValidates) {
  ScratchDirectory scratch;
  for (int variant = 0;; ++variant) {
    ASSERT_LT(variant, 1000);
    // Padding of varying length shifts every byte after it to another bit
    // position, so some variant folds to a value below 0x10000000.
    std::string padded = kBody;
    padded.insert(padded.find("ADD"), "! " + std::string(variant, 'x') + "\n");
    std::string text = sealed(scratch, padded);
    std::string digits = text.substr(text.rfind(": ") + 2);
    if (digits.size() - 1 >= 8) continue;  // without its line feed
    EXPECT_EQ("\nUnmodified CAPTURE script between checksum start and end",
              runLine("CAPTURE VALIDATE " + scratch.path() + "/sealed.pelk"));
    break;
  }
}

}  // namespace
}  // namespace capture
