#include "request/display.h"

#include <string>

#include "request/response_parser.h"
#include "session_fixture.h"

namespace request_test {
namespace {

using namespace request;

class DisplayTest : public SessionFixture {
 protected:
  // Parses the answer and returns what DisplayResponse prints of it.
  std::string display(const std::string& answer, uint32_t width = 80) {
    session::sessionOptions.displayWidth = width;
    session::releaseTree(session_.work.responseTree);
    session_.work.responseTree =
        session::trackedNew<session::ResponseNode>("test", __LINE__);
    EXPECT_EQ(
        ParseResponse(context_, answer.c_str(), session_.work.responseTree), 0)
        << output();
    output();
    DisplayResponse(context_, session_.work.responseTree);
    return output();
  }

  static std::string blanks(std::size_t count) {
    return std::string(count, ' ');
  }
};

TEST_F(DisplayTest, LabelledArrayRowsGetNumberedHeadings) {
  EXPECT_EQ(display("<LabelName xsd:type=\"u:string\">Port</LabelName>"
                    "<ArrayOfString xsd:type=\"u:string[2,2]\">"
                    "<Name>A</Name><ID>1</ID><Name>B</Name><ID>2</ID>"
                    "</ArrayOfString>"),
            "\n  Port [0]:\n" + blanks(24) + "Name : A\n" + blanks(26) +
                "ID : 1\n  Port [1]:\n" + blanks(24) + "Name : B\n" +
                blanks(26) + "ID : 2");
}

TEST_F(DisplayTest, UnlabelledRowsCategoriesAndNesting) {
  EXPECT_EQ(display("<Name>Vol1</Name>"
                    "<ArrayOfString xsd:type=\"u:string[1,3]\">"
                    "<a>1</a><a>2</a><a>3</a></ArrayOfString>"
                    "<LabelName xsd:type=\"u:string\">Presentation</LabelName>"
                    "<Category><Lun>1</Lun><Category><Deep>x</Deep>"
                    "</Category></Category>"),
            "\n" + blanks(22) + "Name : Vol1\n  Member [0]:\n" + blanks(27) +
                "a : 1\n  Member [1]:\n" + blanks(27) +
                "a : 2\n  Member "
                "[2]:\n" +
                blanks(27) + "a : 3\n  Presentation:\n" + blanks(25) +
                "Lun : 1\n    Presentation:\n" + blanks(26) + "Deep : x");
  // A category begun before any label has no heading.
  EXPECT_EQ(display("<Category><A>1</A></Category>"),
            "\n" + blanks(27) + "A : 1");
}

TEST_F(DisplayTest, LongNamesTakeALineOfTheirOwn) {
  std::string name(30, 'N');
  EXPECT_EQ(display("<" + name + ">v</" + name + ">"),
            "\n" + name + " :\n" + blanks(29) + "v");
  // At width 500 the name column stops at 50.
  std::string fifty(50, 'F');
  EXPECT_EQ(display("<" + fifty + ">v</" + fifty + ">", 500),
            "\n" + fifty + " : v");
}

struct WrapCase {
  std::string value;
  uint32_t width;
  std::string printed;
};

TEST_F(DisplayTest, ValuesWrapAtTheDisplayWidth) {
  std::string hundred(100, 'x');
  std::string word(20, 'w');
  const WrapCase cases[] = {
      {hundred, 80,
       std::string(51, 'x') + "\n" + std::string(29, ' ') +
           std::string(49, 'x')},
      {word + " " + word + " " + word, 80,
       word + " " + word + "\n" + std::string(29, ' ') + word},
      {"one\ntwo\t three  \r\n four\x01\xC3\xA9", 80, "one two three four"},
      {hundred, 70,
       std::string(44, 'x') + "\n" + std::string(26, ' ') +
           std::string(44, 'x') + "\n" + std::string(26, ' ') +
           std::string(12, 'x')},
  };
  for (const WrapCase& wrap : cases) {
    SCOPED_TRACE(wrap.value);
    EXPECT_EQ(display("<Name>" + wrap.value + "</Name>", wrap.width),
              "\n" + blanks(wrap.width / 3 - 4) + "Name : " + wrap.printed);
  }
}

// Nested deep enough, the value column passes the width: the value is
// printed whole instead of being cut into empty pieces forever.
TEST_F(DisplayTest, AValueColumnBeyondTheWidthPrintsTheValueWhole) {
  std::string answer;
  for (int i = 0; i < 30; ++i) answer += "<Category>";
  answer += "<A>" + std::string(100, 'v') + "</A>";
  for (int i = 0; i < 30; ++i) answer += "</Category>";
  std::string printed = display(answer, 70);
  EXPECT_NE(printed.find(" : " + std::string(100, 'v')), std::string::npos);
}

TEST_F(DisplayTest, IgnoredPropertiesAreMarkedOnlyWhileCapturing) {
  EXPECT_EQ(display("<ID>7</ID>"), "\n" + blanks(24) + "ID : 7");
  session_.sessionFlags |= session::kRegressionCapture;
  EXPECT_EQ(display("<ID>7</ID><Name>n</Name>"),
            "\n" + blanks(24) + "ID : ##IGNORE##\n" + blanks(22) + "Name : n");
}

}  // namespace
}  // namespace request_test
