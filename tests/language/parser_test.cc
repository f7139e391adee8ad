// The parser over a small graph that uses the value types and flags the
// real grammar does not: octal, hexadecimal and lists, unmatched and
// disabled nodes, and a keyword that is a prefix of two others.
#include "language/parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "language/grammar.h"
#include "session/session.h"

namespace language {
namespace {

using session::CommandContext;
using session::ParseStatus;

int handlerCalls = 0;
ParseStatus countCall(CommandContext&) {
  ++handlerCalls;
  return session::ParseOk;
}

extern const CommandNode kOptions[];
const CommandNode kValueList[] = {
    {NODE_VALUE | NODE_HEX | NODE_LIST | NODE_LAST, countCall, kOptions,
     "hex list"},
};
const CommandNode kOptions[] = {
    {NODE_EQUALS | NODE_OCTAL, countCall, kOptions, "MODE"},
    {NODE_EQUALS | NODE_HEX, countCall, kOptions, "MASK"},
    {NODE_EQUALS | NODE_DECIMAL | NODE_LIST, countCall, kOptions, "LUNS"},
    {NODE_EQUALS, nullptr, kValueList, "WORDS"},
    {NODE_UNMATCHED, nullptr, kOptions, "LATER"},
    {NODE_DISABLED, nullptr, kOptions, "GONE"},
    {NODE_VALUE | NODE_LAST, countCall, nullptr, "Anything else"},
};
// ABC is a prefix of the two keywords before it.
const CommandNode kRoot[] = {
    {0, nullptr, kOptions, "ABCD"},       {0, nullptr, kOptions, "ABCE"},
    {0, nullptr, kOptions, "ABC"},        {0, nullptr, kOptions, "OPTS"},
    {NODE_LAST, nullptr, nullptr, "END"},
};

struct Parsed {
  ParseStatus status;
  long cursor;  // offset of the cursor in the line
  std::string help;
  CommandContext context;
};

Parsed parse(const CommandNode* root, const std::string& line) {
  session::SessionState session{};
  Parsed result{};
  result.context.session = &session;
  result.context.cursor = line.c_str();
  result.context.remaining = static_cast<uint32_t>(line.size());
  char* printed = nullptr;
  size_t printedSize = 0;
  FILE* capture = open_memstream(&printed, &printedSize);
  std::FILE* previous = session::outputStream;
  session::outputStream = capture;
  result.status = quill_parse(root, result.context);
  session::outputStream = previous;
  std::fclose(capture);
  result.help.assign(printed, printedSize);
  std::free(printed);
  result.cursor = result.context.cursor - line.c_str();
  return result;
}

TEST(Parser, NumberValuesOfEveryBase) {
  struct {
    const char* line;
    ParseStatus status;
    long cursor;
    uint32_t number;
  } cases[] = {
      {"OPTS MODE=17", session::ParseOk, 12, 017},
      {"OPTS MODE=37777777777", session::ParseOk, 21, 0xFFFFFFFF},
      {"OPTS MODE=400000000000", session::ParseSyntaxError, 10, 0},
      {"OPTS MODE=8", session::ParseSyntaxError, 10, 0},
      {"OPTS MASK=00000000fFfFfFfF", session::ParseOk, 26, 0xFFFFFFFF},
      {"OPTS MASK=1FFFFFFFF", session::ParseSyntaxError, 10, 0},
      {"OPTS MASK=0x1", session::ParseSyntaxError, 10, 0},
      {"OPTS MASK=", session::ParseIncomplete, 10, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Parsed p = parse(kRoot, c.line);
    EXPECT_EQ(c.status, p.status);
    EXPECT_EQ(c.cursor, p.cursor);
    if (c.status == session::ParseOk) {
      EXPECT_EQ(c.number, p.context.number);
    }
  }
}

TEST(Parser, NumberListsSplitAtCommasAndBlanks) {
  Parsed p = parse(kRoot, "OPTS LUNS=(1, 2,,3 ) END");
  ASSERT_EQ(session::ParseOk, p.status) << p.cursor;
  ASSERT_EQ(3u, p.context.listCount);
  EXPECT_EQ(1u, p.context.listValues[0]);
  EXPECT_EQ(3u, p.context.listValues[2]);
  EXPECT_EQ(3u, p.context.number);

  std::string twentyOne = "OPTS LUNS=1";
  for (int i = 2; i <= 21; ++i) twentyOne += "," + std::to_string(i);
  Parsed tooMany = parse(kRoot, twentyOne);
  EXPECT_EQ(session::ParseSyntaxError, tooMany.status);
  EXPECT_EQ(static_cast<long>(twentyOne.rfind(',') + 1), tooMany.cursor);

  Parsed refused = parse(kRoot, "OPTS LUNS=1,x2,3");
  EXPECT_EQ(session::ParseSyntaxError, refused.status);
  EXPECT_EQ(12, refused.cursor);

  Parsed empty = parse(kRoot, "OPTS LUNS=,,,");
  EXPECT_EQ(session::ParseSyntaxError, empty.status);
  EXPECT_EQ(10, empty.cursor);

  Parsed valueList = parse(kRoot, "OPTS WORDS=A,b0");
  EXPECT_EQ(session::ParseOk, valueList.status);
  EXPECT_EQ(0xB0u, valueList.context.listValues[1]);
}

TEST(Parser, HelpForTypedValues) {
  struct {
    const char* line;
    const char* help;
  } cases[] = {
      {"OPTS MODE ?", "\n  The only option is: = (octal value)"},
      {"OPTS MODE=?", "\n  The only option is: (octal value)"},
      {"OPTS MASK=?", "\n  The only option is: (hexadecimal value)"},
      {"OPTS LUNS ?",
       "\n  The only option is: = (decimal value, decimal value,...)"},
      {"OPTS LUNS=?",
       "\n  The only option is: (decimal value, decimal value,...)"},
      {"OPTS WORDS=?", "\n  The only option is:\n    hex list"},
      {"OPTS ?",
       "\n  The options are:\n    MODE\n    MASK\n    LUNS\n    WORDS"
       "\n    LATER\n    Anything else"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Parsed p = parse(kRoot, c.line);
    EXPECT_EQ(session::ParseHelpShown, p.status);
    EXPECT_EQ(c.help, p.help);
  }
  const CommandNode hexList[] = {
      {NODE_EQUALS | NODE_HEX | NODE_LIST | NODE_LAST, nullptr, nullptr, "X"}};
  EXPECT_EQ("\n  The only option is: (hexadecimal value, hexadecimal value,...",
            parse(hexList, "X=?").help);
}

TEST(Parser, MatchingRules) {
  struct {
    const char* line;
    ParseStatus status;
    long cursor;
  } cases[] = {
      // The second prefix candidate ends the scan before the exact ABC.
      {"ABC", session::ParseAmbiguous, 3},
      {"abcd", session::ParseOk, 4},
      {"O", session::ParseOk, 1},
      // Unmatched and disabled keywords never match: the value node takes
      // the token instead.
      {"OPTS LATER", session::ParseOk, 10},
      {"OPTS GONE", session::ParseOk, 9},
      // A keyword beats the value node: M is a prefix of MODE and MASK.
      {"OPTS M", session::ParseAmbiguous, 6},
      {"OPTS thing extra", session::ParseSyntaxError, 11},
      {"END ?", session::ParseHelpShown, 4},
      {"", session::ParseSyntaxError, 0},
      {"   ", session::ParseIncomplete, 0},
      {"OPTS \x7f", session::ParseSyntaxError, 0},
      {"\"END\"", session::ParseOk, 5},
      // Blanks after an opening bracket are skipped, those before the
      // closing one belong to the token.
      {"(  END)", session::ParseOk, 7},
      {"(  END ) ", session::ParseSyntaxError, 3},
      {"\"XYZ\"", session::ParseSyntaxError, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Parsed p = parse(kRoot, c.line);
    EXPECT_EQ(c.status, p.status);
    EXPECT_EQ(c.cursor, p.cursor);
  }
}

// Scripts indented with tabs: a tab between words reads as a blank. Inside
// a bracketed token or a quoted text it is refused as any character outside
// the accepted set is, with the cursor at the start of the line.
TEST(Parser, TabsBetweenWordsReadAsBlanks) {
  struct {
    const CommandNode* root;
    const char* line;
    ParseStatus status;
    long cursor;
  } cases[] = {
      {kRoot, "\tOPTS\tMODE\t=\t17\tMASK=\tff\t", session::ParseOk, 24},
      {kRoot, "OPTS x\ty", session::ParseSyntaxError, 7},
      {kRoot, "OPTS (a\tb)", session::ParseSyntaxError, 0},
      {kRoot, "OPTS (\ta)", session::ParseSyntaxError, 0},
      {kRoot, "OPTS \"a\t", session::ParseSyntaxError, 0},
      {kRoot, "OPTS \"a\" \"b\tc\"", session::ParseSyntaxError, 0},
      {kRoot, "OPTS \x01", session::ParseSyntaxError, 0},
      {rootList(), "SHOW\tOPTIONS", session::ParseOk, 12},
      // A quoted text ends at its double quote, where a token's ')' would
      // already have closed it: the tab is still inside.
      {rootList(), "ADD VDISK x COMMENT=\"a )\tb\"", session::ParseSyntaxError,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Parsed p = parse(c.root, c.line);
    EXPECT_EQ(c.status, p.status);
    EXPECT_EQ(c.cursor, p.cursor);
  }
}

TEST(Parser, HandlersRunOncePerMatch) {
  handlerCalls = 0;
  EXPECT_EQ(session::ParseOk,
            parse(kRoot, "OPTS MODE=1 MODE=2 MASK=3 x").status);
  EXPECT_EQ(4, handlerCalls);
}

TEST(Parser, NestedParenthesesStayInOneToken) {
  const std::string line = "OPTS (a (b) c)";
  Parsed p = parse(kRoot, line);
  ASSERT_EQ(session::ParseOk, p.status);
  EXPECT_EQ("a (b) c",
            std::string(p.context.tokenStart, p.context.tokenLength));
}

TEST(Parser, RealGrammarSurvivesHostileLines) {
  std::string lines[] = {
      std::string(100000, '?'),
      std::string(100000, '='),
      "SET OPTIONS " + std::string(50000, '('),
      "SELECT MANAGER " + std::string(50000, '"'),
      "SET OPTIONS DISPLAY_WIDTH=" + std::string(5000, '9'),
  };
  for (const std::string& line : lines) {
    Parsed p = parse(rootList(), line);
    EXPECT_NE(session::ParseOk, p.status);
    EXPECT_GE(p.cursor, 0);
    EXPECT_LE(p.cursor, static_cast<long>(line.size()));
  }
}

}  // namespace
}  // namespace language
