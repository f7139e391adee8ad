#include "language/password_mask.h"

#include <string>
#include <vector>

#include "language/line_scanner.h"
#include "language/line_walk.h"

namespace language {
namespace {

constexpr std::string_view kKeyword = "PASSWORD";
constexpr std::size_t kNone = std::string_view::npos;

bool isBracket(char c) { return c == '"' || c == '('; }

std::size_t skipBlanks(std::string_view line, std::size_t at) {
  while (at < line.size() && isBlank(line[at])) ++at;
  return at;
}

// Just past the character that closes the bracketed token opening at
// `open`, as the parser scans it (a double quote or ')' closes, '('
// nests); kNone when nothing closes it.
std::size_t bracketEnd(std::string_view line, std::size_t open) {
  int depth = 1;
  for (std::size_t at = open + 1; at < line.size(); ++at) {
    if (line[at] == '"' || line[at] == ')') {
      if (--depth == 0) return at + 1;
    } else if (line[at] == '(') {
      ++depth;
    }
  }
  return kNone;
}

// The end of the plain word that starts at `at`: the next blank or '=',
// or bracket character when `bracketsSeparate`.
std::size_t wordEnd(std::string_view line, std::size_t at,
                    bool bracketsSeparate) {
  while (at < line.size() && !isBlank(line[at]) && line[at] != '=' &&
         !(bracketsSeparate && (isBracket(line[at]) || line[at] == ')'))) {
    ++at;
  }
  return at;
}

// The end of the plain token the parser read at `at`: its first
// character, whatever it is, and the rest up to a blank or '='.
std::size_t parsedWordEnd(std::string_view line, std::size_t at) {
  ++at;
  while (at < line.size() && !isBlank(line[at]) && line[at] != '=') ++at;
  return at;
}

bool abbreviatesKeyword(std::string_view word) {
  if (word.empty() || word.size() > kKeyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (upper(word[i]) != kKeyword[i]) return false;
  }
  return true;
}

bool isKeywordNode(const CommandNode& node) {
  return (node.flags & NODE_VALUE) == 0 && kKeyword == node.text;
}

// The end of the value that follows the keyword ending at `at`, past its
// '=' when there is one; `start` is set to where it begins.
std::size_t valueEnd(std::string_view line, std::size_t at,
                     std::size_t& start) {
  at = skipBlanks(line, at);
  if (at < line.size() && line[at] == '=') at = skipBlanks(line, at + 1);
  start = at;
  if (at == line.size()) return at;
  if (isBracket(line[at])) {
    std::size_t end = bracketEnd(line, at);
    return end == kNone ? line.size() : end;
  }
  while (at < line.size() && !isBlank(line[at])) ++at;
  return at;
}

}  // namespace

session::MaskedLine maskPasswords(const CommandNode* root,
                                  std::string_view line) {
  session::MaskedLine masked;
  // Every form of the keyword begins with a P: most lines have none, and
  // are not walked.
  if (line.find_first_of("Pp") == std::string_view::npos) {
    masked.text = line;
    return masked;
  }
  const LineWalk walk = walkLine(root, line);
  const std::vector<std::size_t>& starts = walk.starts;
  std::size_t read = 0;    // the next token of the walk not yet passed
  std::size_t copied = 0;  // of `line`, into masked.text
  // A bracket that never closes makes no token: the words after it are
  // looked at as words, the brackets among them as separators. (Scanning
  // each of them as a bracket would cost the square of the line.)
  bool bracketsClose = true;
  std::size_t at = 0;
  while (at < line.size()) {
    while (read < starts.size() && starts[read] < at) ++read;
    // Where the parser read a token, it is taken as the parser took it: a
    // value may begin with '=' or hold a bracket ("SEL M=\"x" is the
    // address ="x).
    const bool parsed = read < starts.size() && starts[read] == at;
    if (!parsed && (isBlank(line[at]) || line[at] == '=')) {
      ++at;
      continue;
    }
    // The word of the token at `at`: a plain word, or what a pair of
    // brackets holds ("PASSWORD"=x reads as PASSWORD=x).
    std::size_t word = at;
    std::size_t wordEndsAt = 0;
    std::size_t end = 0;
    if (parsed) {
      end = parsedWordEnd(line, at);
      wordEndsAt = end;
    } else if (isBracket(line[at]) || (!bracketsClose && line[at] == ')')) {
      end = bracketsClose ? bracketEnd(line, at) : kNone;
      if (end == kNone) {
        bracketsClose = false;
        ++at;
        continue;
      }
      word = skipBlanks(line, at + 1);
      wordEndsAt = end - 1;
    } else {
      end = wordEnd(line, at, !bracketsClose);
      wordEndsAt = end;
    }
    if (word >= wordEndsAt ||
        !abbreviatesKeyword(line.substr(word, wordEndsAt - word))) {
      at = end;
      continue;
    }
    while (read < starts.size() && starts[read] < word) ++read;
    bool secret = false;
    if (read < starts.size() && starts[read] == word) {
      secret = isKeywordNode(*walk.path[read]);
    } else {
      std::size_t next = skipBlanks(line, end);
      secret = next < line.size() && line[next] == '=';
    }
    if (!secret) {
      at = end;
      continue;
    }
    std::size_t start = 0;
    at = valueEnd(line, end, start);
    if (at == start) continue;
    masked.text.append(line.substr(copied, start - copied));
    masked.text.append(session::kPasswordMask);
    masked.masked.push_back({start, at - start});
    copied = at;
  }
  masked.text.append(line.substr(copied));
  return masked;
}

}  // namespace language
