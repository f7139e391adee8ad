#include "client/text_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace emclient {
namespace {

// Texts of every length, markup anywhere: the block-wise escape writes
// what a byte-by-byte one does.
TEST(TextSearch, EscapesLikeAByteByByteEscape) {
  std::mt19937 random(5);
  const char alphabet[] = "&<>ab\n;lt";
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 80); i > 0; --i) {
      text.push_back(alphabet[random() % (sizeof alphabet - 1)]);
    }
    std::string expected;
    for (char c : text) {
      expected += c == '&'   ? "&amp;"
                  : c == '<' ? "&lt;"
                  : c == '>' ? "&gt;"
                             : std::string(1, c);
    }
    std::string out = "kept";
    appendEscaped(out, text, escapedSize(text));
    ASSERT_EQ(out, "kept" + expected) << text;
    ASSERT_EQ(escapedSize(text), expected.size()) << text;
  }
}

}  // namespace
}  // namespace emclient
