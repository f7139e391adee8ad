// Tokens of a command line and how one token is matched against a node
// list: the rules the parser walks by, shared with TAB completion so both
// always agree on what a line means.
#pragma once

#include <cstdint>
#include <string_view>

#include "language/command_node.h"

namespace language {

struct Token {
  const char* start;
  uint32_t length;
};

enum class TokenRead { kToken, kNone, kBadBracket };

// A read position in the line of a CommandContext. Cursor movements keep
// `remaining` equal to the characters left.
class LineCursor {
 public:
  explicit LineCursor(session::CommandContext& context)
      : context_(context), end_(context.cursor + context.remaining) {}

  const char* position() const { return context_.cursor; }
  bool atEnd() const { return context_.cursor >= end_; }
  char current() const { return *context_.cursor; }
  const char* end() const { return end_; }

  void moveTo(const char* position) {
    context_.cursor = position;
    context_.remaining = static_cast<uint32_t>(end_ - position);
  }
  void advance() { moveTo(context_.cursor + 1); }
  void skipBlanks();

 private:
  session::CommandContext& context_;
  const char* end_;
};

// The printable ASCII characters a command line may hold.
bool isAccepted(char c);

// What separates words: a blank, or a tab (scripts indented with tabs).
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Whether the parser takes the line's characters: accepted ones, and tabs
// between words. A tab inside a bracketed token is refused as any other
// character outside the accepted set is.
bool isAcceptedLine(std::string_view line);

inline char upper(char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// Reads the next token: a plain word ending at a blank, '=' or the end of
// the line, or the contents of a bracketed token. An empty or unclosed
// bracketed token gives kBadBracket with the cursor on its opening bracket.
TokenRead nextToken(LineCursor& line, Token& token);

// Whether a '?' typed at the end of `line` would stand where the parser
// answers it, at the start of a token or in place of '=' or a value,
// rather than inside a word or an open bracket.
bool questionAsksHelp(std::string_view line);

enum class Fit { kNone, kPrefix, kWhole };

// How the token fits a keyword, letters compared without regard to case.
Fit compareKeyword(const char* keyword, const Token& token);

// Finds the node of `list` that the token selects. A value node's match
// stores the token in context.tokenStart / tokenLength. Gives
// ParseAmbiguous (cursor just after the token) for a second prefix
// candidate, ParseSyntaxError (cursor on the token) when nothing fits.
session::ParseStatus matchInList(const CommandNode* list, const Token& token,
                                 LineCursor& line,
                                 session::CommandContext& context,
                                 const CommandNode*& match);

}  // namespace language
