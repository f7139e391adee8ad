#include "client/text_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace emclient {
namespace {

// The marker search skips to the marker's least common byte; wherever it
// starts and whatever the text, it finds what a plain search finds.
TEST(TextSearch, FindsWhatAPlainSearchFinds) {
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
