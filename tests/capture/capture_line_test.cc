// The line rules of a capture: what is upper-cased, how long a line may
// grow, how comments are cleaned and cut, and that FILE's reader takes back
// every line written.
#include "capture/capture_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "request/session_fixture.h"

namespace capture {
namespace {

class CaptureLineTest : public request_test::SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    file_ = std::tmpfile();
    writer_.context = &context_;
    writer_.output = file_;
  }
  void TearDown() override {
    std::fclose(file_);
    SessionFixture::TearDown();
  }

  // The lines written so far, as FILE's reader takes them; a line it
  // refuses shows as "<too long>".
  std::vector<std::string> linesRead() {
    std::fflush(file_);
    std::rewind(file_);
    std::vector<std::string> lines;
    platform::LineBuffer line;
    for (;;) {
      platform::LineStatus status = platform::readLine(file_, line);
      if (status == platform::LineStatus::kEnd) break;
      if (status == platform::LineStatus::kTooLong) {
        lines.push_back("<too long>");
      } else if (line.length > 0 || !line.atEnd) {
        lines.emplace_back(line.text, line.length);
      }
      if (line.atEnd) break;
    }
    std::fseek(file_, 0, SEEK_END);
    return lines;
  }

  CaptureWriter writer_{};
  std::FILE* file_ = nullptr;
};

TEST_F(CaptureLineTest, UnquotedPiecesComeOutInCapitalsQuotedOnesAsTheyAre) {
  startLine(writer_, "ADD");
  EXPECT_EQ(0, appendWord(writer_, "host"));
  EXPECT_EQ(0, appendQuoted(writer_, "\\Hosts\\Mail server"));
  EXPECT_EQ(0, appendSetting(writer_, "ip", "fe80::a"));
  EXPECT_EQ(0, appendSetting(writer_, "OPERATING_SYSTEM", "Custom 00ab"));
  EXPECT_EQ(0, appendQuotedSetting(writer_, "COMMENT", "Keeps its case"));
  EXPECT_EQ(0, writeLine(writer_));
  EXPECT_EQ(
      std::vector<std::string>{
          "ADD HOST \"\\Hosts\\Mail server\" IP=FE80::A "
          "OPERATING_SYSTEM=CUSTOM 00AB COMMENT=\"Keeps its case\""},
      linesRead());
  EXPECT_EQ("", output());
}

TEST_F(CaptureLineTest, ALineStopsGrowingWhereFileCouldNoLongerReadIt) {
  // "ADD" and a blank, then a piece that fills the line to its last
  // readable character.
  std::string longest(kLongestLine - 4, 'x');
  startLine(writer_, "ADD");
  ASSERT_EQ(0, appendWord(writer_, longest));
  EXPECT_EQ(1, appendWord(writer_, "y"));
  EXPECT_EQ(
      "\nError: Command becomes too long when adding y.  Command so "
      "far:\n       ADD " +
          std::string(kLongestLine - 4, 'X'),
      output());
  ASSERT_EQ(0, writeLine(writer_));
  std::vector<std::string> lines = linesRead();
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(kLongestLine, lines[0].size());

  startLine(writer_, "ADD");
  EXPECT_EQ(1, appendWord(writer_, longest + "z"));
  EXPECT_EQ("ADD", std::string(writer_.captureLine));
}

TEST_F(CaptureLineTest, ACommentThatDoesNotFitIsLeftOutAndTheLineGoesOn) {
  startLine(writer_, "ADD");
  ASSERT_EQ(0, appendWord(writer_, std::string(kLongestLine - 20, 'x')));
  EXPECT_FALSE(appendComment(writer_, "far too long for the rest"));
  EXPECT_NE("", output());
  EXPECT_EQ(0, appendWord(writer_, "WAIT"));
}

TEST_F(CaptureLineTest, CommentsAreCleanedOfWhatNamesAndCommentsMayNotHold) {
  struct {
    const char* comment;
    const char* piece;  // nullptr: no COMMENT piece at all
  } cases[] = {
      {"Mail server", "COMMENT=\"Mail server\""},
      {"Disk: 50% full, see \"log\" <a/b\\c>",
       "COMMENT=\"Disk 50 full see log abc\""},
      {"tab\there\x7f\xe9", "COMMENT=\"tabhere\""},
      {"?\"/\\<>*|:&+,%", nullptr},
      {"", nullptr},
      {nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.comment != nullptr ? c.comment : "(none)");
    startLine(writer_, "ADD");
    EXPECT_EQ(c.piece != nullptr, appendComment(writer_, c.comment));
    EXPECT_EQ(std::string("ADD") + (c.piece != nullptr ? " " : "") +
                  (c.piece != nullptr ? c.piece : ""),
              std::string(writer_.captureLine));
  }
  EXPECT_EQ("", output());
}

TEST_F(CaptureLineTest, LongCommentsAreCutAtABlankOrHardAtTheLimit) {
  const std::size_t limit = kLongestLine - 2;  // "! " comes in front
  std::string words = std::string(limit - 5, 'a') + " bbbb cc";
  std::string oneWord(limit + 10, 'w');
  struct {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"short",
       "Original controller names were:",
       {"! Original controller names were:"}},
      {"empty", "", {"! "}},
      {"exactly the limit",
       std::string(limit, 'e'),
       {"! " + std::string(limit, 'e')}},
      {"cut at the last blank that fits",
       words,
       {"! " + std::string(limit - 5, 'a') + " bbbb", "! cc"}},
      {"no blank",
       oneWord,
       {"! " + std::string(limit, 'w'), "! " + std::string(10, 'w')}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(0, ftruncate(fileno(file_), 0));
    std::rewind(file_);
    ASSERT_EQ(0, writeCommentLine(writer_, c.text.c_str()));
    EXPECT_EQ(c.lines, linesRead());
  }
}

}  // namespace
}  // namespace capture
