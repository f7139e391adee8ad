#include "client/digest.h"

#include <gtest/gtest.h>

#include <string>

namespace emclient {
namespace {

TEST(Digest, Md5IsUpperCaseHex) {
  EXPECT_EQ(md5UpperHex(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(md5UpperHex("abc"), "900150983CD24FB0D6963F7D28E17F72");
}

// "YWFh" is the Base64 of "aaa"; a full line of 76 characters holds 19.
std::string quads(int count) {
  std::string text;
  for (int at = 0; at < count; ++at) text += "YWFh";
  return text;
}

TEST(Digest, Base64BreaksAfterEvery76thCharacterIncludingTheLast) {
  struct Case {
    std::string input;
    std::string expected;
  } cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {std::string(57, 'a'), quads(19) + "\r\n"},
      {std::string(58, 'a'), quads(19) + "\r\nYQ=="},
      {std::string(114, 'a'), quads(19) + "\r\n" + quads(19) + "\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(base64Lines(c.input), c.expected) << c.input.size() << " bytes";
  }
}

}  // namespace
}  // namespace emclient
