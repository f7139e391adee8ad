#include "request/response_parser.h"

#include <string>

#include "request/response_search.h"
#include "session_fixture.h"
#include "tree_text.h"

namespace request_test {
namespace {

using namespace request;

class ResponseParserTest : public SessionFixture {
 protected:
  // Parses into a fresh tree; returns ParseResponse's result.
  int parse(const std::string& text) {
    session::releaseTree(session_.work.responseTree);
    session::release(session_.work.currentLabel);
    session_.work.currentLabel = copy("");
    session_.work.responseTree =
        session::trackedNew<session::ResponseNode>("test", __LINE__);
    return ParseResponse(context_, text.c_str(), session_.work.responseTree);
  }

  std::string tree() const { return treeText(session_.work.responseTree); }
};

struct ShapeCase {
  const char* text;
  const char* tree;
};

TEST_F(ResponseParserTest, BuildsTheShapesOfEachElementKind) {
  const ShapeCase cases[] = {
      {"", "#"},
      {"no markup at all", "#"},
      {"<ID></ID>", "# ID="},
      {"<ID/>", "# ID="},
      {"<Name> Vol 1 </Name>", "# Name= Vol 1 "},
      {"<Name>a&amp;b&lt;</Name>", "# Name=a&amp;b&lt;"},
      {"<ID attr=\"1\">7</IDX>", "# ID=7"},
      {"<SOAP:Envelope><SOAP:Body><m:getResponse xmlns:m=\"TALLOW-URI\">"
       "<SuccessMsg>ok</SuccessMsg></m:getResponse></SOAP:Body>"
       "</SOAP:Envelope>",
       "# SuccessMsg=ok"},
      {"<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">"
       "<SOAP:Body=corvane-fenmoor:zorapi.v1><A>1</A></SOAP:Body>"
       "</SOAP:Envelope>",
       "# A=1"},
      {"<SOAP:Envelope xmlns=\"http://tarnwick.example/zorapiv3\" "
       "xmlns:zorapi=\"http://tarnwick.example/zorapiv3\"><A>1</A>"
       "</SOAP:Envelope>",
       "# A=1"},
      {"<object><Name>A</Name><ID>1</ID></object>\n"
       "<object><Name>B</Name><ID>2</ID></object>",
       "# Name=A ID=1 Name=B ID=2"},
      {"<member><link><Name>L</Name></link></member><After>x</After>",
       "# Name=L After=x"},
      {"<LabelName xsd:type=\"u:string\">Port  </LabelName>"
       "<Category><A>1</A></Category><B>2</B>",
       "#(#{Port} # A=1) # B=2"},
      {"<ArrayOfString xsd:type=\"u:string[2,0]\"></ArrayOfString><Z>9</Z>",
       "#<> # Z=9"},
      {"<LabelName xsd:type=\"u:string\">Port</LabelName>"
       "<ArrayOfString xsd:type=\"u:string[3,2]\">"
       "<a>1</a><b>2</b><c>3</c><a>4</a><b>5</b><c>6</c>"
       "</ArrayOfString><Z>9</Z>",
       "#<Port>(#(# a=4 b=5 c=6) a=1 b=2 c=3) # Z=9"},
      // Structural elements inside a row do not count against the row.
      {"<ArrayOfString xsd:type=\"u:string[1,2]\">"
       "<object><a>1</a></object><b>2</b><c>3</c></ArrayOfString>",
       "#<>(#(# c=3) a=1 b=2) #"},
  };
  for (const ShapeCase& shape : cases) {
    SCOPED_TRACE(shape.text);
    EXPECT_EQ(parse(shape.text), 0) << output();
    EXPECT_EQ(tree(), shape.tree);
  }
}

struct ErrorCase {
  const char* text;
  const char* message;
};

TEST_F(ResponseParserTest, ReportsEachErrorWithTheRestOfTheText) {
  const ErrorCase cases[] = {
      {"<Name>A</Nome>",
       "\nError: Did not find end token \"</Name\" starting here->\n</Nome>"},
      {"<A>1", "\nError: Did not find '<' after info starting here->\n1"},
      {"<A>1</A", "\nError: Did not find '>' after token starting here->\n</A"},
      {"x <A", "\nError: Did not find '>' after token starting here->\n<A"},
      {"< >", "\nError: Zero length token starting here->\n< >"},
      {"<?xml version=\"1.0\"?><A>1</A>",
       "\nError: Did not find end token \"</?xml\" starting here->\n<A>1</A>"},
      {"<Body><Name>A</Name></Body>",
       "\nError: Did not find end token \"</Body\" starting "
       "here->\n<Name>A</Name></Body>"},
      {"<ArrayOfString xsd:type=\"u:string[3]\"><a>1</a>",
       "\nError: Did not find ',' after first array count starting "
       "here->\n]\"><a>1</a>"},
      {"<ArrayOfString xsd:type=\"u:string[1,1]\"><a>1</a><b>2</b>"
       "</ArrayOfString>",
       "\nError: Did not find end token \"</ArrayOfString\" starting "
       "here->\n<b>2</b></ArrayOfString>"},
  };
  for (const ErrorCase& error : cases) {
    SCOPED_TRACE(error.text);
    EXPECT_EQ(parse(error.text), 1);
    EXPECT_EQ(output(), error.message);
    tree();  // every node the failed parse left is complete
  }
  // An element whose text never ends is not left behind half-made.
  EXPECT_EQ(parse("<A>1"), 1);
  output();
  EXPECT_EQ(tree(), "#");
}

TEST_F(ResponseParserTest, NestingBeyondTheLimitFailsWithoutRecursingDeeper) {
  std::string nested;
  for (int i = 0; i < 1000000; ++i) nested += "<object>";
  EXPECT_EQ(parse(nested), 1);
  std::string message = output();
  EXPECT_EQ(message.rfind("\nError: Response nested too deeply starting "
                          "here->\n<object><object>",
                          0),
            0u);
}

TEST_F(ResponseParserTest, AnnouncedRowCountsCostNothingBeyondTheText) {
  EXPECT_EQ(parse("<ArrayOfString xsd:type=\"u:string[2,99999999999]\">"
                  "<a>1</a><b>2</b></ArrayOfString>"),
            0);
  EXPECT_EQ(tree(), "#<>(#(#) a=1 b=2) #");
  EXPECT_EQ(parse("<ArrayOfString xsd:type=\"u:string[0,4000000000]\">"
                  "<a>1</a></ArrayOfString>"),
            1);
  output();
}

// A category at the start of a row would share the anchor's child link
// with the next row; it moves down one anchor, so neither is lost.
TEST_F(ResponseParserTest, RowsStartingWithAStructureKeepIt) {
  EXPECT_EQ(parse("<ArrayOfString xsd:type=\"u:string[1,2]\">"
                  "<Category><x>1</x></Category><a>1</a><b>2</b>"
                  "</ArrayOfString>"),
            0);
  // The category also lifts the row's count, so both leaves join row 1.
  EXPECT_EQ(tree(), "#<>(#(#) #(#{} # x=1) # a=1 b=2) #");
}

TEST_F(ResponseParserTest, SearchesFollowTheirOwnOrders) {
  ASSERT_EQ(parse("<NotSuccessMsg>first</NotSuccessMsg>"
                  "<ArrayOfString xsd:type=\"u:string[1,3]\">"
                  "<Lun>1</Lun><LUN>2</LUN><lun>3</lun></ArrayOfString>"
                  "<NotSuccessMsg>second</NotSuccessMsg>"),
            0);
  const session::ResponseNode* root = session_.work.responseTree;
  const session::ResponseNode* found =
      FindResponseElement(root, "NotSuccessMsg");
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found->value, "second");
  EXPECT_EQ(FindResponseElement(root, "notsuccessmsg"), nullptr);

  // Rows hang one below the other, so the last row's value comes first.
  EXPECT_STREQ(FindElementValue(root, "NotSuccessMsg", 1), "first");
  EXPECT_STREQ(FindElementValue(root, "lun", 1), "3");
  EXPECT_STREQ(FindElementValue(root, "lun", 2), "2");
  EXPECT_STREQ(FindElementValue(root, "lun", 3), "1");
  EXPECT_EQ(FindElementValue(root, "lun", 4), nullptr);
  EXPECT_STREQ(FindElementValue(root, "NOTSUCCESSMSG", 2), "second");
}

TEST_F(ResponseParserTest, AMillionElementsAreSearchedAndReleased) {
  std::string flat;
  for (int i = 0; i < 1000000; ++i) flat += "<a>1</a>";
  flat += "<Last>x</Last>";
  std::string rows = "<ArrayOfString xsd:type=\"u:string[1,1000000]\">";
  for (int i = 0; i < 1000000; ++i) rows += "<r>1</r>";
  rows += "</ArrayOfString><Last>y</Last>";
  for (const std::string* text : {&flat, &rows}) {
    ASSERT_EQ(parse(*text), 0);
    const session::ResponseNode* root = session_.work.responseTree;
    EXPECT_NE(FindResponseElement(root, "Last"), nullptr);
    EXPECT_EQ(FindElementValue(root, "missing", 1), nullptr);
  }
  session::releaseTree(session_.work.responseTree);
  EXPECT_LT(session::liveBlockCount(), 10u);
}

}  // namespace
}  // namespace request_test
