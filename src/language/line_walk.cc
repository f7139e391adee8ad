#include "language/line_walk.h"

#include <algorithm>
#include <string_view>

#include "language/line_scanner.h"

namespace language {
namespace {

// The characters that close or nest a bracketed token.
constexpr std::string_view kBracketEnds = "\"()";

// Steps over the '=' and the value the matched node takes, as the parser
// reads them. Returns kWord when the line goes on after them.
WalkEnd passValue(const CommandNode& node, LineCursor& line) {
  line.skipBlanks();
  if (node.flags & NODE_EQUALS) {
    if (line.atEnd()) return WalkEnd::kEquals;
    if (line.current() != '=') return WalkEnd::kStopped;
    line.advance();
  }
  if (node.flags & NODE_STRING) {
    line.skipBlanks();
    if (line.atEnd() || line.current() != '"') return WalkEnd::kStopped;
    const char* start = line.position() + 1;
    const char* close = std::find(start, line.end(), '"');
    if (close == line.end() || close == start ||
        std::find(start, close, '\t') != close) {
      return WalkEnd::kStopped;
    }
    line.moveTo(close + 1);
    return WalkEnd::kWord;
  }
  if ((node.flags & (NODE_HEX | NODE_OCTAL | NODE_DECIMAL)) &&
      (node.flags & NODE_VALUE) == 0) {
    Token value{};
    if (nextToken(line, value) != TokenRead::kToken ||
        value.start + value.length == line.end()) {
      return WalkEnd::kStopped;
    }
  }
  return WalkEnd::kWord;
}

}  // namespace

LineWalk walkLine(const CommandNode* root, std::string_view text) {
  LineWalk walk{{}, {}, WalkEnd::kStopped, root, text.size()};
  if (!isAcceptedLine(text)) return walk;

  session::CommandContext scratch{};
  scratch.cursor = text.data();
  scratch.remaining = static_cast<uint32_t>(text.size());
  LineCursor line(scratch);
  for (;;) {
    Token token{};
    switch (nextToken(line, token)) {
      case TokenRead::kBadBracket:
        // A double quote still open at the end is a name being typed.
        if (line.current() == '"' &&
            std::find_first_of(line.position() + 1, line.end(),
                               kBracketEnds.begin(),
                               kBracketEnds.end()) == line.end()) {
          walk.end = WalkEnd::kWord;
          walk.wordStart =
              static_cast<std::size_t>(line.position() - text.data());
        }
        return walk;
      case TokenRead::kNone:
        walk.end = WalkEnd::kWord;
        return walk;
      case TokenRead::kToken:
        break;
    }
    // A plain token that runs to the end is the word being typed.
    if (token.start + token.length == line.end()) {
      walk.end = WalkEnd::kWord;
      walk.wordStart = static_cast<std::size_t>(token.start - text.data());
      return walk;
    }
    const CommandNode* node = nullptr;
    if (token.start[0] == '?' || matchInList(walk.list, token, line, scratch,
                                             node) != session::ParseOk) {
      return walk;
    }
    walk.path.push_back(node);
    walk.starts.push_back(static_cast<std::size_t>(token.start - text.data()));
    walk.end = passValue(*node, line);
    if (walk.end != WalkEnd::kWord) return walk;
    walk.end = WalkEnd::kStopped;
    if (node->next == nullptr) return walk;
    walk.list = node->next;
  }
}

}  // namespace language
