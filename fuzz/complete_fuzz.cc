// Feeds arbitrary bytes to TAB completion over the real grammar and checks
// that every candidate, put in place of the word, is taken by the parser's
// rules: the completed line matches one node more than the line did (the
// "=" candidate excepted, which matches none), and never a hidden one. A
// part of a name (a candidate without a suffix) leaves the same word open
// for the next TAB instead.
#include <cstdint>
#include <string>
#include <vector>

#include "language/completion.h"
#include "language/grammar.h"
#include "language/line_walk.h"

namespace {

void trickyNames(std::span<const language::CommandNode* const>,
                 const language::CommandNode&,
                 std::vector<std::string>& names) {
  names = {"alpha", "two words", "a=b",        "(x",
           "FULL",  "F",         "q\"x",       "",
           "?x",    "\\dir\\",   "\\dir\\a b", "\\dir\\sub\\x"};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  language::Completion completion =
      language::complete(language::rootList(), line, trickyNames);
  if (completion.wordStart > line.size()) __builtin_trap();
  if (completion.candidates.empty()) return 0;

  std::string before = line.substr(0, completion.wordStart);
  std::size_t matched =
      language::walkLine(language::rootList(), before).path.size();
  for (const language::Candidate& candidate : completion.candidates) {
    std::string completed = before + candidate.text;
    if (candidate.suffix != '\0') completed += candidate.suffix;
    language::LineWalk walk =
        language::walkLine(language::rootList(), completed);
    if (candidate.suffix == '\0' && candidate.text != "=") {
      if (walk.end != language::WalkEnd::kWord ||
          walk.wordStart != completion.wordStart ||
          walk.path.size() != matched) {
        __builtin_trap();
      }
      continue;
    }
    std::size_t expected = candidate.text == "=" ? matched : matched + 1;
    if (walk.path.size() != expected) __builtin_trap();
    if (!walk.path.empty() &&
        (walk.path.back()->flags & language::NODE_HIDDEN) != 0 &&
        walk.path.size() > matched) {
      __builtin_trap();
    }
  }
  return 0;
}
