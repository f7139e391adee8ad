// Passwords in command lines: every way the parser takes one is masked,
// whatever else is wrong with the line, and nothing the parser reads as
// something else is.
#include "language/password_mask.h"

#include <gtest/gtest.h>

#include <string>

#include "language/grammar.h"

namespace language {
namespace {

TEST(PasswordMask, EveryPasswordTheParserTakesIsMasked) {
  const struct {
    const char* line;
    const char* masked;
  } cases[] = {
      {"SELECT MANAGER h USERNAME=u PASSWORD=secret",
       "SELECT MANAGER h USERNAME=u PASSWORD=********"},
      // Any case, blanks around '=', quoted, bracketed, abbreviated.
      {"select manager h password = \"p w\" username=u",
       "select manager h password = ******** username=u"},
      {"SEL MAN h P=x US=u", "SEL MAN h P=******** US=u"},
      {"SELECT MANAGER h PASS=(a(b)c) USERNAME=u",
       "SELECT MANAGER h PASS=******** USERNAME=u"},
      {"SELECT MANAGER h P=a PASSWORD=b",
       "SELECT MANAGER h P=******** PASSWORD=********"},
      // An '=' in an unbracketed password is a syntax error, but the
      // password is hidden whole.
      {"SELECT MANAGER h PASSW=ab=cd USERNAME=u",
       "SELECT MANAGER h PASSW=******** USERNAME=u"},
      // The graph reads the keyword, though its '=' is missing.
      {"sel man h us=u pas (a=b)", "sel man h us=u pas ********"},
      // A line that fails before the password, or is refused as a whole.
      {"SELCT MANAGER h PASS=secret", "SELCT MANAGER h PASS=********"},
      {"SELECT MANAGER h XYZ pass =secret",
       "SELECT MANAGER h XYZ pass =********"},
      {"SELECT MANAGER h\tPASSWORD=\tsecret\x01 x",
       "SELECT MANAGER h\tPASSWORD=\t******** x"},
      {"SELECT MANAGER h PASSWORD=\"my secret",
       "SELECT MANAGER h PASSWORD=********"},
      {"SELECT MANAGER \"h( PASSWORD=secret",
       "SELECT MANAGER \"h( PASSWORD=********"},
      // The keyword itself may be bracketed.
      {"SELECT MANAGER h USERNAME=u \"PASSWORD\"=hunter2",
       "SELECT MANAGER h USERNAME=u \"PASSWORD\"=********"},
      {"SEL MAN h ( p)=\"x\" US=u", "SEL MAN h ( p)=******** US=u"},
      // A token is read as the parser reads it: here the address is ="
      // (no '=' follows MANAGER), and what follows is no bracket.
      {"sel m=\" p=b) P\"; ", "sel m=\" p=******** P\"; "},
      // After a bracket that never closes, brackets separate words.
      {"SELECT MANAGER \"h( x (P=a) \"pass=b",
       "SELECT MANAGER \"h( x (P=******** \"pass=********"},
      // Nothing else is touched.
      {"ADD VDISK x COMMENT=\"PASSWORD=kept\"",
       "ADD VDISK x COMMENT=\"PASSWORD=kept\""},
      {"ADD VDISK x P=PATH_A_BOTH", "ADD VDISK x P=PATH_A_BOTH"},
      {"ADD VDISK x COMMENT=\"pass\" SIZE=1",
       "ADD VDISK x COMMENT=\"pass\" SIZE=1"},
      {"SET VDISK pa=x", "SET VDISK pa=x"},
      {"SHOW VDISK PASSWORD", "SHOW VDISK PASSWORD"},
      {"SELECT MANAGER h USERNAME=p", "SELECT MANAGER h USERNAME=p"},
      {"SELECT MANAGER h PASSWORD=  ", "SELECT MANAGER h PASSWORD=  "},
      {"SELECT MANAGER h PASSWORDS=x", "SELECT MANAGER h PASSWORDS=x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    session::MaskedLine masked = maskPasswords(rootList(), c.line);
    EXPECT_EQ(c.masked, masked.text);
    // Each masked part, given as a place in the line, holds what the mask
    // replaced.
    std::string rebuilt = c.line;
    for (auto it = masked.masked.rbegin(); it != masked.masked.rend(); ++it) {
      rebuilt.replace(it->start, it->length, session::kPasswordMask);
    }
    EXPECT_EQ(masked.text, rebuilt);
  }
}

TEST(PasswordMask, APlaceInTheLineIsFoundInTheMaskedLine) {
  // "P=abc x=secret y": both values masked.
  const std::vector<session::MaskedSpan> masked{{2, 3}, {8, 6}};
  const struct {
    std::size_t offset;
    std::size_t shown;
  } cases[] = {{0, 0},  {2, 2},   {4, 2},   {5, 10},
               {8, 13}, {13, 13}, {14, 21}, {15, 22}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.shown, session::shownOffset(masked, c.offset)) << c.offset;
  }
}

}  // namespace
}  // namespace language
