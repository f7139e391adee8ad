#include "request/name_values.h"

#include <cstring>
#include <string>

#include "language/grammar.h"
#include "language/parser.h"
#include "request/name_checks.h"
#include "session/work_area.h"
#include "session_fixture.h"

namespace request_test {
namespace {

class NameValuesTest : public SessionFixture {
 protected:
  // Parses one line against the real grammar, leaving the work area as the
  // value handlers filled it.
  session::ParseStatus parse(const std::string& text) {
    session::releaseWorkArea(session_);
    session_.work = session::WorkArea{};
    session_.work.currentLabel = copy("");
    line_ = text;
    context_.cursor = line_.c_str();
    context_.remaining = static_cast<uint32_t>(line_.size());
    return language::quill_parse(language::rootList(), context_);
  }

  // "name=value" of the pending properties in wire order.
  std::string properties() const {
    std::string text;
    for (const session::PendingProperty* property =
             session_.work.pendingProperties;
         property != nullptr; property = property->next) {
      text += std::string(property->name) + "=" + property->value + " ";
    }
    return text;
  }

  static std::string text(const char* value) {
    return value != nullptr ? value : "(none)";
  }

  std::string line_;
};

struct RecordCase {
  const char* line;
  const char* properties;
  const char* objectName;
  const char* folderPath;
  const char* newName;
};

TEST_F(NameValuesTest, ValuesBecomePropertiesAndNames) {
  const RecordCase cases[] = {
      {"ADD VDISK \"\\Virtual Disks\\Finance\\Vol1\"",
       "Name=Vol1 creationmode=synchronous ", "Vol1",
       "\\Virtual Disks\\Finance\\", "(none)"},
      {"ADD VDISK \\Vol1", "Name=Vol1 creationmode=synchronous ", "Vol1",
       "(none)", "(none)"},
      {"ADD VDISK \"a b\" COMMENT=\"some words\" OS_UNIT_ID=32767",
       "BraskelID=32767 comments=some words Name=a b "
       "creationmode=synchronous ",
       "a b", "(none)", "(none)"},
      {"ADD DR_GROUP \"\\Data Replication\\dr1\"",
       "scellid= objectid=0808080808080808080808080808080808080808 "
       "objecttype=drmgroup objectname=dr1 destscellid= virtualdiskid= "
       "remotevirtualdiskname= "
       "destdiskgroupid=0000000000000000000000000000000000000000 "
       "drmmode=source drcomments= ",
       "dr1", "\\Data Replication\\", "(none)"},
      {"ADD FOLDER f COMMENT=\"c\"", "comments=c Name=f ", "f", "(none)",
       "(none)"},
      {"SET VDISK v NAME=v2", "Name=v2 ", "v", "(none)", "v2"},
      {"SET DR_GROUP d NAME=d2",
       "scellid= objectid= objecttype=drmgroup objectname=d2 ", "d", "(none)",
       "d2"},
      {"SET SYSTEM s CONSOLE_LUN_ID=0", "BraskelID=0 ", "s", "(none)",
       "(none)"},
      {"DELETE LUN 12", "", "12", "(none)", "(none)"},
      {"SHOW HOST h1", "", "h1", "(none)", "(none)"},
  };
  for (const RecordCase& record : cases) {
    SCOPED_TRACE(record.line);
    ASSERT_EQ(parse(record.line), session::ParseOk) << output();
    EXPECT_EQ(properties(), record.properties);
    EXPECT_EQ(text(session_.work.objectNameArg), record.objectName);
    EXPECT_EQ(text(session_.work.folderPath), record.folderPath);
    EXPECT_EQ(text(session_.work.newNameArg), record.newName);
  }
  EXPECT_EQ(output(), "");
}

TEST_F(NameValuesTest, FullAndNofullSetAndClearTheFullDisplayBit) {
  ASSERT_EQ(parse("SHOW VDISK FULL"), session::ParseOk);
  EXPECT_NE(session_.work.resultFlags & session::kFullDisplay, 0u);
  ASSERT_EQ(parse("SHOW DR_GROUP NOFULL"), session::ParseOk);
  EXPECT_EQ(session_.work.resultFlags & session::kFullDisplay, 0u);
}

TEST_F(NameValuesTest, LimitsAreInclusive) {
  std::string name32(32, 'n');
  std::string comment128(128, 'c');
  EXPECT_EQ(parse("ADD HOST \\Hosts\\" + name32), session::ParseOk);
  EXPECT_EQ(parse("ADD HOST " + name32 + "x"), session::ParseFailed);
  EXPECT_EQ(output(), "\nError: Name too long, limit 32 characters");
  EXPECT_EQ(parse("SET HOST h COMMENT=\"" + comment128 + "\""),
            session::ParseOk);
  EXPECT_EQ(parse("SET HOST h COMMENT=\"" + comment128 + "c\""),
            session::ParseFailed);
  EXPECT_EQ(output(), "\nError: Comment too long, limit 128 characters");
  EXPECT_EQ(parse("SET VDISK v OS_UNIT_ID=32768"), session::ParseFailed);
  EXPECT_EQ(output(), "\nError: Maximum OS ID is 32767");
}

// The line parser refuses such bytes in typed lines, so only texts from
// elsewhere meet this check; its caret follows the prompt name.
TEST_F(NameValuesTest, UnprintableCharactersAreRefusedUnderTheirColumn) {
  selectSystem("Cell1");
  std::string line = "X ab\x01c \xC3";
  context_.lineStart = line.c_str();
  EXPECT_EQ(request::ValidateText(context_, line.c_str() + 2, 3, "comment"), 1);
  EXPECT_EQ(output(), std::string(5 + 2 + 4, ' ') +
                          "^\nError: Invalid non-printable character in "
                          "comment at or near here");
  EXPECT_EQ(request::ValidateName(context_, line.c_str() + 7, 1), 1);
  EXPECT_EQ(output(), std::string(5 + 2 + 7, ' ') +
                          "^\nError: Invalid non-printable character in "
                          "name at or near here");
}

}  // namespace
}  // namespace request_test
