#include "language/line_scanner.h"

#include <algorithm>

namespace language {

bool isAccepted(char c) { return c >= 32 && c <= 126; }

void LineCursor::skipBlanks() {
  const char* p = context_.cursor;
  while (p < end_ && isBlank(*p)) ++p;
  moveTo(p);
}

// Tabs are rare: a line without one needs no walk through its tokens.
bool isAcceptedLine(std::string_view line) {
  bool tab = false;
  for (char c : line) {
    if (c == '\t') {
      tab = true;
    } else if (!isAccepted(c)) {
      return false;
    }
  }
  if (!tab) return true;
  session::CommandContext scratch{};
  scratch.cursor = line.data();
  scratch.remaining = static_cast<uint32_t>(line.size());
  LineCursor cursor(scratch);
  auto holdsTab = [](const char* from, const char* to) {
    return std::find(from, to, '\t') != to;
  };
  for (;;) {
    cursor.skipBlanks();
    if (!cursor.atEnd() && cursor.current() == '=') {
      cursor.advance();
      continue;
    }
    const char* opening = cursor.position();
    Token token{};
    switch (nextToken(cursor, token)) {
      case TokenRead::kNone:
        return true;
      case TokenRead::kBadBracket:
        // An open bracket runs to the end of the line.
        return !holdsTab(opening, cursor.end());
      case TokenRead::kToken:
        if (token.start != opening && holdsTab(opening, cursor.position())) {
          return false;
        }
        break;
    }
  }
}

// A bracketed token that is empty or never closed is refused, so a command
// with a missing closing quote is never taken as complete.
TokenRead nextToken(LineCursor& line, Token& token) {
  const char* before = line.position();
  line.skipBlanks();
  if (line.atEnd()) {
    line.moveTo(before);
    return TokenRead::kNone;
  }
  const char* opening = line.position();
  if (line.current() == '(' || line.current() == '"') {
    line.advance();
    line.skipBlanks();
    const char* start = line.position();
    int depth = 1;
    for (const char* p = start; p < line.end(); ++p) {
      if (*p == '"' || *p == ')') {
        --depth;
      } else if (*p == '(') {
        ++depth;
      }
      if (depth == 0) {
        if (p == start) break;
        token = Token{start, static_cast<uint32_t>(p - start)};
        line.moveTo(p + 1);
        return TokenRead::kToken;
      }
    }
    line.moveTo(opening);
    return TokenRead::kBadBracket;
  }
  const char* p = opening + 1;
  while (p < line.end() && !isBlank(*p) && *p != '=') ++p;
  token = Token{opening, static_cast<uint32_t>(p - opening)};
  line.moveTo(p);
  return TokenRead::kToken;
}

// The parser reads an '=' apart from the tokens around it, so it is
// stepped over here: "COMMENT=\"x\"" ends in a whole quoted token.
bool questionAsksHelp(std::string_view line) {
  if (!isAcceptedLine(line)) return false;
  session::CommandContext scratch{};
  scratch.cursor = line.data();
  scratch.remaining = static_cast<uint32_t>(line.size());
  LineCursor cursor(scratch);
  bool inWord = false;
  for (;;) {
    cursor.skipBlanks();
    if (!cursor.atEnd() && cursor.current() == '=') {
      cursor.advance();
      inWord = false;
      continue;
    }
    Token token{};
    TokenRead read = nextToken(cursor, token);
    if (read == TokenRead::kBadBracket) return false;
    if (read == TokenRead::kNone) return !inWord;
    inWord = token.start + token.length == cursor.end();
  }
}

Fit compareKeyword(const char* keyword, const Token& token) {
  uint32_t i = 0;
  for (; i < token.length; ++i) {
    if (keyword[i] == '\0' || upper(token.start[i]) != keyword[i]) {
      return Fit::kNone;
    }
  }
  return keyword[i] == '\0' ? Fit::kWhole : Fit::kPrefix;
}

// Scans the list in order with one remembered prefix candidate.
session::ParseStatus matchInList(const CommandNode* list, const Token& token,
                                 LineCursor& line,
                                 session::CommandContext& context,
                                 const CommandNode*& match) {
  const CommandNode* candidate = nullptr;
  char first = token.length > 0 ? upper(token.start[0]) : '\0';
  // Most keywords of a list differ from the token in their first letter.
  auto mayFit = [&](const CommandNode& node) {
    return (node.flags & NODE_VALUE) != 0 || token.length == 0 ||
           node.text[0] == first;
  };
  for (const CommandNode* node = list;; ++node) {
    if ((node->flags & (NODE_UNMATCHED | NODE_DISABLED)) == 0 &&
        mayFit(*node)) {
      if (node->flags & NODE_VALUE) {
        if (candidate == nullptr) {
          context.tokenStart = token.start;
          context.tokenLength = token.length;
          candidate = node;
        }
        break;
      }
      Fit fit = compareKeyword(node->text, token);
      if (fit == Fit::kWhole) {
        candidate = node;
        break;
      }
      if (fit == Fit::kPrefix) {
        if (candidate != nullptr) return session::ParseAmbiguous;
        if ((node->flags & NODE_FULL_WORD) == 0) candidate = node;
      }
    }
    if (node->flags & NODE_LAST) break;
  }
  if (candidate == nullptr) {
    line.moveTo(token.start);
    return session::ParseSyntaxError;
  }
  match = candidate;
  return session::ParseOk;
}

}  // namespace language
