#include "language/parser.h"

#include <algorithm>
#include <cstdio>

#include "language/help.h"
#include "language/line_scanner.h"

namespace language {
namespace {

using session::ParseStatus;

bool appendDigit(uint32_t& value, uint32_t base, char c) {
  uint32_t digit;
  if (c >= '0' && c <= '9') {
    digit = static_cast<uint32_t>(c - '0');
  } else if (base == 16 && upper(c) >= 'A' && upper(c) <= 'F') {
    digit = static_cast<uint32_t>(upper(c) - 'A' + 10);
  } else {
    return false;
  }
  if (digit >= base) return false;
  switch (base) {
    case 8:
      if (value & 0xE0000000u) return false;
      value = (value << 3) | digit;
      return true;
    case 16:
      if (value & 0xF0000000u) return false;
      value = (value << 4) | digit;
      return true;
    default:
      if (value > (UINT32_MAX - digit) / 10) return false;
      value = value * 10 + digit;
      return true;
  }
}

bool convertNumber(const char* start, uint32_t length, uint32_t base,
                   uint32_t& value) {
  value = 0;
  for (uint32_t i = 0; i < length; ++i) {
    if (!appendDigit(value, base, start[i])) return false;
  }
  return length > 0;
}

uint32_t baseOf(uint32_t flags) {
  if (flags & NODE_HEX) return 16;
  if (flags & NODE_OCTAL) return 8;
  return 10;
}

ParseStatus convertList(const Token& token, uint32_t base, LineCursor& line,
                        session::CommandContext& context) {
  context.listCount = 0;
  const char* end = token.start + token.length;
  const char* p = token.start;
  while (p < end) {
    if (*p == ',' || *p == ' ') {
      ++p;
      continue;
    }
    const char* element = p;
    while (p < end && *p != ',' && *p != ' ') ++p;
    if (context.listCount == session::kMaxListValues ||
        !convertNumber(element, static_cast<uint32_t>(p - element), base,
                       context.number)) {
      line.moveTo(element);
      return session::ParseSyntaxError;
    }
    context.listValues[context.listCount++] = context.number;
  }
  if (context.listCount == 0) {
    line.moveTo(token.start);
    return session::ParseSyntaxError;
  }
  return session::ParseOk;
}

// A token where one is required: none makes the command incomplete, a
// bracket left open or empty is a syntax error.
ParseStatus requireToken(LineCursor& line, Token& token) {
  switch (nextToken(line, token)) {
    case TokenRead::kNone:
      return session::ParseIncomplete;
    case TokenRead::kBadBracket:
      return session::ParseSyntaxError;
    case TokenRead::kToken:
      break;
  }
  return session::ParseOk;
}

ParseStatus readNumber(const CommandNode& node, const Token& matched,
                       LineCursor& line, session::CommandContext& context) {
  Token token = matched;
  if ((node.flags & NODE_VALUE) == 0) {
    ParseStatus status = requireToken(line, token);
    if (status != session::ParseOk) return status;
    if (token.start[0] == '?') return typedValueHelp(node);
  }
  uint32_t base = baseOf(node.flags);
  if (node.flags & NODE_LIST) return convertList(token, base, line, context);
  if (!convertNumber(token.start, token.length, base, context.number)) {
    line.moveTo(token.start);
    return session::ParseSyntaxError;
  }
  return session::ParseOk;
}

// A quoted text is read from the cursor, not as a token: it may hold
// blanks, '=' and brackets, but never a double quote.
ParseStatus readQuotedText(const CommandNode& node, LineCursor& line,
                           session::CommandContext& context) {
  const char* began = line.position();
  line.skipBlanks();
  if (!line.atEnd() && line.current() == '?') return typedValueHelp(node);
  if (line.atEnd() || line.current() != '"') {
    line.moveTo(began);
    return session::ParseSyntaxError;
  }
  const char* start = line.position() + 1;
  const char* p = start;
  while (p < line.end() && *p != '"') ++p;
  if (p == line.end() || p == start) {
    line.moveTo(began);
    return session::ParseSyntaxError;
  }
  // A tab reads as a blank only between words: one in the text refuses the
  // line as a character outside the accepted set does, at its start.
  if (std::find(start, p, '\t') != p) {
    line.moveTo(context.lineStart);
    return session::ParseSyntaxError;
  }
  context.tokenStart = start;
  context.tokenLength = static_cast<uint32_t>(p - start);
  line.moveTo(p + 1);
  return session::ParseOk;
}

ParseStatus readEquals(const CommandNode& node, LineCursor& line) {
  line.skipBlanks();
  if (line.atEnd()) return session::ParseIncomplete;
  if (line.current() == '=') {
    line.advance();
    return session::ParseOk;
  }
  if (line.current() == '?') {
    std::fputs("\n  The only option is:", session::outputStream);
    return valueHelp(node);
  }
  return session::ParseSyntaxError;
}

ParseStatus readValue(const CommandNode& node, const Token& matched,
                      LineCursor& line, session::CommandContext& context) {
  if (node.flags & NODE_STRING) return readQuotedText(node, line, context);
  if (node.flags & (NODE_HEX | NODE_OCTAL | NODE_DECIMAL)) {
    return readNumber(node, matched, line, context);
  }
  return session::ParseOk;
}

}  // namespace

ParseStatus quill_parse(const CommandNode* root,
                        session::CommandContext& context) {
  context.lineStart = context.cursor;
  LineCursor line(context);
  if (line.atEnd() ||
      !isAcceptedLine({line.position(), static_cast<std::size_t>(
                                            line.end() - line.position())})) {
    return session::ParseSyntaxError;
  }

  Token token{};
  ParseStatus first = requireToken(line, token);
  if (first != session::ParseOk) return first;
  for (const CommandNode* list = root;;) {
    if (token.start[0] == '?') return listHelp(list);
    const CommandNode* node = nullptr;
    ParseStatus status = matchInList(list, token, line, context, node);
    if (status != session::ParseOk) return status;
    if (node->flags & NODE_EQUALS) {
      status = readEquals(*node, line);
      if (status != session::ParseOk) return status;
    } else {
      line.skipBlanks();
    }
    status = readValue(*node, token, line, context);
    if (status != session::ParseOk) return status;
    if (node->handler != nullptr) {
      status = node->handler(context);
      if (status != session::ParseOk) return status;
    }
    if (node->next == nullptr) break;
    list = node->next;
    // The end of the line is accepted after any node with a next list.
    TokenRead read = nextToken(line, token);
    if (read == TokenRead::kNone) return session::ParseOk;
    if (read == TokenRead::kBadBracket) return session::ParseSyntaxError;
  }

  line.skipBlanks();
  if (line.atEnd()) return session::ParseOk;
  if (line.current() == '?') return noMoreHelp();
  return session::ParseSyntaxError;
}

}  // namespace language
