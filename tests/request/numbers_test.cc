#include "request/numbers.h"

#include <string>

#include "session_fixture.h"

namespace request_test {
namespace {

using namespace request;

class NumbersTest : public SessionFixture {};

TEST_F(NumbersTest, ConvertNumberReadsTheLeadingNumber) {
  struct Case {
    const char* text;
    int base;
    uint32_t value;
  };
  const Case cases[] = {
      {"12", 10, 12},  {"  7 disks", 10, 7},
      {"ff", 16, 255}, {"99999999999", 10, UINT32_MAX},
      {"17x", 8, 15},
  };
  for (const Case& number : cases) {
    SCOPED_TRACE(number.text);
    uint32_t value = 0;
    EXPECT_EQ(ConvertNumber(value, number.text, number.base), 0);
    EXPECT_EQ(value, number.value);
  }
  uint32_t value = 5;
  EXPECT_EQ(ConvertNumber(value, "many", 10), 1);
  EXPECT_EQ(value, 5u);
  EXPECT_EQ(output(), "\nError: Cannot convert many to a number");
}

TEST_F(NumbersTest, ParseHexMaskFillsWordsLeastSignificantFirst) {
  struct Case {
    const char* text;
    std::size_t count;
    int result;
    uint32_t low;
    uint32_t high;
  };
  const Case cases[] = {
      {"  1234-5678-9aBc-DeF0  ", 2, 0, 0x9ABCDEF0u, 0x12345678u},
      {"ffffffffffffffff", 2, 0, 0xFFFFFFFFu, 0xFFFFFFFFu},
      {"1", 2, 0, 1, 0},
      {"10000000000000000", 2, 1, 0, 0},  // 17 digits overflow
      {"", 2, 1, 0, 0},
      {"   ", 2, 1, 0, 0},
      {"12g4", 2, 1, 0, 0},
      {"12 34", 2, 1, 0, 0},
      {"12", 0, 1, 0, 0},
  };
  for (const Case& mask : cases) {
    SCOPED_TRACE(mask.text);
    uint32_t words[2] = {0xAAAAAAAAu, 0xAAAAAAAAu};
    EXPECT_EQ(ParseHexMask(mask.text, words, mask.count), mask.result);
    if (mask.result == 0) {
      EXPECT_EQ(words[0], mask.low);
      EXPECT_EQ(words[1], mask.high);
    }
  }
  EXPECT_EQ(output(), "");
}

}  // namespace
}  // namespace request_test
