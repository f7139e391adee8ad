#include "platform/byte_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>

// The block scan is processor-specific unless built portable; either way
// every result is compared with a plain byte-by-byte answer, and every text
// is an exact-size copy, so a scan that reads past its end is caught by the
// sanitizer build.
namespace platform {
namespace {

std::unique_ptr<char[]> exactCopy(const std::string& text) {
  auto copy = std::make_unique<char[]>(text.size());
  std::memcpy(copy.get(), text.data(), text.size());
  return copy;
}

std::string randomText(std::mt19937& random, std::string_view alphabet,
                       std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    text.push_back(alphabet[random() % alphabet.size()]);
  }
  return text;
}

// Bytes with the high bit set are compared as the same char, not as
// numbers of another sign.
using std::string_view_literals::operator""sv;
constexpr std::string_view kAlphabet = "<> =a\0\x80\xff/"sv;

TEST(ByteScan, BlocksMatchWhatAByteByByteMatchFinds) {
  std::mt19937 random(3);
  const char wanted[][3] = {{'<', '>', '='},
                            {'\0', ' ', 'a'},
                            {'\x80', '\xff', '/'},
                            {'a', 'a', 'a'}};
  for (int round = 0; round < 4000; ++round) {
    std::string block = randomText(random, kAlphabet, 16);
    const char* set = wanted[round % std::size(wanted)];
    unsigned one = 0;
    unsigned three = 0;
    for (unsigned i = 0; i < 16; ++i) {
      if (block[i] == set[0]) one |= 1u << i;
      if (block[i] == set[0] || block[i] == set[1] || block[i] == set[2]) {
        three |= 1u << i;
      }
    }
    ASSERT_EQ(matchingBytes16(block.data(), set[0]), one) << round;
    ASSERT_EQ(matchingBytes16(block.data(), set[0], set[1], set[2]), three)
        << round;
  }
}

// Texts of every length up to a few blocks, searched from every start:
// the one-by-one start, the blocks and the tail each find the first match.
TEST(ByteScan, SearchesFindWhatAPlainSearchFinds) {
  std::mt19937 random(7);
  for (std::size_t length = 0; length <= 70; ++length) {
    for (int variant = 0; variant < 12; ++variant) {
      // Sparse texts put the first match in the blocks or the tail.
      std::string_view alphabet = variant % 2 ? kAlphabet : "aaaaaaaaaaaaa<>";
      std::string text = randomText(random, alphabet, length);
      std::unique_ptr<char[]> copy = exactCopy(text);
      const char* begin = copy.get();
      const char* end = begin + length;
      for (std::size_t from = 0; from <= length; ++from) {
        const char* start = begin + from;
        const char* one = std::find(start, end, '<');
        const char* any = std::find_if(start, end, [](char c) {
          return c == '>' || c == ' ' || c == '\xff';
        });
        ASSERT_EQ(findChar(start, end, '<'), one == end ? nullptr : one)
            << text << " from " << from;
        ASSERT_EQ(findAny(start, end, '>', ' ', '\xff'),
                  any == end ? nullptr : any)
            << text << " from " << from;
      }
    }
  }
}

// A difference at any place of names of any length, including those that
// are compared a word at a time with overlapping words.
TEST(ByteScan, SameBytesAgreesWithMemcmp) {
  for (std::size_t length = 0; length <= 34; ++length) {
    std::string name(length, 'n');
    for (std::size_t i = 0; i < length; ++i)
      name[i] = static_cast<char>('a' + i);
    std::unique_ptr<char[]> first = exactCopy(name);
    EXPECT_TRUE(sameBytes(first.get(), exactCopy(name).get(), length))
        << length;
    for (std::size_t at = 0; at < length; ++at) {
      std::string other = name;
      other[at] = static_cast<char>(other[at] ^ 0x80);
      std::unique_ptr<char[]> second = exactCopy(other);
      ASSERT_FALSE(sameBytes(first.get(), second.get(), length))
          << length << " at " << at;
    }
  }
}

// The marker search skips to the marker's least common byte; wherever it
// starts and whatever the text, it finds what a plain search finds.
TEST(ByteScan, FindsMarkersWhereAPlainSearchFinds) {
  const std::string markers[] = {"<a",   "a<",       "</x>",  "<<",
                                 "aa<a", "\r\n\r\n", "<v>3.", "x",
                                 "<",    "NotOk",    "ab/ ="};
  std::mt19937 random(11);
  const char alphabet[] = "<>/ a\r\nxv3.NOotk=b";
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 24); i > 0; --i) {
      text.push_back(alphabet[random() % (sizeof alphabet - 1)]);
    }
    const std::string& marker = markers[random() % std::size(markers)];
    std::size_t from = random() % (text.size() + 2);
    std::size_t expected = from > text.size()
                               ? kNotFound
                               : std::string_view(text).find(marker, from);
    ASSERT_EQ(findMarker(text, marker, from), expected)
        << "text \"" << text << "\" marker \"" << marker << "\" from " << from;
  }
  EXPECT_EQ(findMarker("abc", "", 1), 1u);
  EXPECT_EQ(findMarker("abc", "", 4), kNotFound);
}

}  // namespace
}  // namespace platform
