#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace platform {
namespace {

struct Read {
  LineStatus status;
  std::string text;
  bool atEnd;
};

std::vector<Read> readAll(const std::string& contents) {
  std::FILE* stream =
      fmemopen(const_cast<char*>(contents.data()), contents.size(), "r");
  std::vector<Read> reads;
  LineBuffer line;
  for (int i = 0; i < 10; ++i) {
    LineStatus status = readLine(stream, line);
    reads.push_back({status, std::string(line.text, line.length), line.atEnd});
    if (status == LineStatus::kEnd || line.atEnd) break;
  }
  std::fclose(stream);
  return reads;
}

TEST(ReadLine, LineEndsAndTheEndOfTheStream) {
  auto reads = readAll("one\r\ntwo\n");
  ASSERT_EQ(3u, reads.size());
  EXPECT_EQ("one", reads[0].text);
  EXPECT_EQ("two", reads[1].text);
  EXPECT_EQ(LineStatus::kEnd, reads[2].status);

  reads = readAll("last");
  ASSERT_EQ(1u, reads.size());
  EXPECT_EQ(LineStatus::kOk, reads[0].status);
  EXPECT_EQ("last", reads[0].text);
  EXPECT_TRUE(reads[0].atEnd);

  reads = readAll("a\rb\n");
  EXPECT_EQ("a\rb", reads[0].text);  // only a CR before the LF is dropped
}

TEST(ReadLine, TheLimitCountsTheLineFeedButNotACarriageReturnBeforeIt) {
  struct {
    std::string contents;
    LineStatus first;
  } cases[] = {
      {std::string(2046, 'a') + "\n", LineStatus::kOk},
      {std::string(2047, 'a') + "\n", LineStatus::kTooLong},
      {std::string(2046, 'a') + "\r\n", LineStatus::kOk},
      {std::string(5000, 'a') + "\r\n", LineStatus::kTooLong},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contents.size());
    auto reads = readAll(c.contents + "next\n");
    EXPECT_EQ(c.first, reads[0].status);
    // Whatever the first line was, the next read starts after its line feed.
    ASSERT_LT(1u, reads.size());
    EXPECT_EQ("next", reads[1].text);
  }
  EXPECT_EQ(LineStatus::kOk, readAll(std::string(2047, 'a'))[0].status);
  EXPECT_EQ(LineStatus::kTooLong, readAll(std::string(2048, 'a'))[0].status);
}

// A line without a line feed is read no further than 1 MiB; the reading
// stops in its middle, so what follows it can tell it ran away.
TEST(ReadLine, ARunawayLineStopsTheReadingAtTheBound) {
  std::string endless(kRunawayLimit + 10, 'x');
  auto reads = readAll(endless);
  EXPECT_EQ(LineStatus::kRunaway, reads[0].status);
  EXPECT_EQ(std::string(kLineLimit, 'x'), reads[0].text);
  EXPECT_EQ("xxxxxxxxxx", reads[1].text);  // the rest, when read on

  EXPECT_EQ(LineStatus::kTooLong,
            readAll(std::string(kRunawayLimit - 1, 'x') + "\n")[0].status);

  std::FILE* stream = fmemopen(endless.data(), endless.size(), "r");
  std::string line;
  bool terminated = true;
  EXPECT_EQ(LineStatus::kRunaway, readBoundedLine(stream, line, terminated));
  EXPECT_EQ(kRunawayLimit, line.size());
  EXPECT_FALSE(terminated);
  std::rewind(stream);
  EXPECT_FALSE(readWholeLine(stream, line, terminated));
  std::fclose(stream);
}

TEST(ReadLine, EmbeddedZeroBytesAreKept) {
  auto reads = readAll(std::string("a\0b\n", 4));
  EXPECT_EQ(std::string("a\0b", 3), reads[0].text);
}

}  // namespace
}  // namespace platform
