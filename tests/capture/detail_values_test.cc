// Reading an object's details for a capture: repeated parts in the order
// the server listed them, required values, and server texts translated
// into the keywords that restore them.
#include "capture/detail_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "request/response_parser.h"
#include "request/response_search.h"
#include "request/session_fixture.h"

namespace capture {
namespace {

// A host as the simulator details it: two adapter rows, then two LUN rows
// whose first element pairs with the second.
const char kHostDetails[] =
    "<Name>\\Hosts\\Exchange</Name><ID>14</ID><Comments></Comments>"
    "<LabelName xsd:type=\"u:string\">Port</LabelName>"
    "<ArrayOfString xsd:type=\"u:string[2,3]\">"
    "<Port>A</Port><Port_State>online</Port_State>"
    "<Port>B</Port><Port_State>online</Port_State>"
    "<Port>C</Port><Port_State>online</Port_State></ArrayOfString>"
    "<LabelName xsd:type=\"u:string\">Presentation</LabelName>"
    "<ArrayOfString xsd:type=\"u:string[2,2]\">"
    "<Lun>1</Lun><StorageName>first</StorageName>"
    "<Lun>2</Lun><StorageName>second</StorageName></ArrayOfString>"
    "<Category><Total>10 GB</Total></Category><Trailer>t</Trailer>";

class DetailValuesTest : public request_test::SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    details_ = session::trackedNew<session::ResponseNode>("test", __LINE__);
    ASSERT_EQ(0, request::ParseResponse(context_, kHostDetails, details_));
  }
  void TearDown() override {
    session::releaseTree(details_);
    SessionFixture::TearDown();
  }

  std::vector<std::string> all(const char* tag) {
    std::vector<std::string> values;
    for (int n = 1; const char* value = detailValue(details_, tag, n); ++n) {
      values.push_back(value);
    }
    return values;
  }

  session::ResponseNode* details_ = nullptr;
};

TEST_F(DetailValuesTest, RepeatedPartsComeInTheOrderTheServerListedThem) {
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), all("Port"));
  EXPECT_EQ((std::vector<std::string>{"1", "2"}), all("lun"));
  EXPECT_EQ((std::vector<std::string>{"first", "second"}), all("StorageName"));
  // The generic search meets the later rows first; a restore from it would
  // list the adapters the other way round.
  EXPECT_STREQ("C", request::FindElementValue(details_, "Port", 1));
  // Values outside the arrays, a category included, are found as the
  // generic search finds them.
  for (const char* tag : {"Name", "Comments", "Total", "Trailer"}) {
    SCOPED_TRACE(tag);
    EXPECT_STREQ(request::FindElementValue(details_, tag, 1),
                 detailValue(details_, tag));
  }
  EXPECT_EQ(nullptr, detailValue(details_, "Port", 4));
  EXPECT_EQ(nullptr, detailValue(nullptr, "Port"));
}

TEST_F(DetailValuesTest, RequiredValuesMustBePresentAndNotEmpty) {
  EXPECT_STREQ("B", RequireToken(details_, "Port", 2));
  EXPECT_EQ("", output());
  EXPECT_EQ(nullptr, RequireToken(details_, "Capacity_Req"));
  EXPECT_EQ("\nError: Required token \"Capacity_Req\" not found", output());
  EXPECT_EQ(nullptr, RequireToken(details_, "Comments"));
  EXPECT_EQ("\nError: Required token \"Comments\" zero-length string",
            output());
}

TEST_F(DetailValuesTest, ServerTextsTranslateIgnoringCaseOrListTheChoices) {
  const KeywordPair pairs[] = {{"On", "READ_CACHE"}, {"Off", "NOREAD_CACHE"}};
  EXPECT_STREQ("NOREAD_CACHE", TranslateToKeyword("OFF", pairs));
  EXPECT_EQ("", output());
  EXPECT_EQ(nullptr, TranslateToKeyword("Auto", pairs));
  EXPECT_EQ(
      "\nError: Cannot translate token \"Auto\".  Choices are the following:"
      "\n       On\n       Off",
      output());
}

}  // namespace
}  // namespace capture
