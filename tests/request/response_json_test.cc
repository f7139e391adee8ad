#include "request/response_json.h"

#include <nlohmann/json.hpp>
#include <string>

#include "request/response_parser.h"
#include "session_fixture.h"

namespace request_test {
namespace {

using namespace request;

class ResponseJsonTest : public SessionFixture {
 protected:
  // Parses the answer, as the first of its command, and returns its JSON
  // text.
  std::string json(const std::string& answer) {
    session::release(session_.work.currentLabel);
    session_.work.currentLabel = session::copyText("", 0, "test", __LINE__);
    session::releaseTree(session_.work.responseTree);
    session_.work.responseTree =
        session::trackedNew<session::ResponseNode>("test", __LINE__);
    EXPECT_EQ(
        ParseResponse(context_, answer.c_str(), session_.work.responseTree), 0)
        << output();
    return ResponseJson(session_.work.responseTree).dump();
  }
};

constexpr char kPortLabel[] =
    "<LabelName xsd:type=\"u:string\">Port</LabelName>";

TEST_F(ResponseJsonTest, ShapesFollowTheTreeInTheServersOrder) {
  const struct {
    const char* what;
    std::string answer;
    std::string expected;
  } cases[] = {
      {"leaves in order, values verbatim, an empty element empty",
       "<Zeta> a &amp; b </Zeta><Alpha/><ID></ID>",
       R"({"Zeta":" a &amp; b ","Alpha":"","ID":""})"},
      {"wrappers and containers leave no trace",
       "<SOAP:Envelope><SOAP:Body><object><Name>A</Name></object>"
       "<object><ID>1</ID></object></SOAP:Body></SOAP:Envelope>",
       R"({"Name":"A","ID":"1"})"},
      {"array rows under the label, in the parent where they hang",
       std::string("<Name>h</Name>") + kPortLabel +
           "<ArrayOfString xsd:type=\"u:string[2,2]\">"
           "<Port>p1</Port><State>on</State><Port>p2</Port><State>off</State>"
           "</ArrayOfString><Comments>c</Comments>",
       R"({"Name":"h","Port":[{"Port":"p1","State":"on"},)"
       R"({"Port":"p2","State":"off"}],"Comments":"c"})"},
      {"an array without rows is an empty array",
       std::string(kPortLabel) +
           "<ArrayOfString xsd:type=\"u:string[2,0]\"></ArrayOfString>",
       R"({"Port":[]})"},
      {"an array before any label is Member",
       "<ArrayOfString xsd:type=\"u:string[1,2]\"><a>1</a><a>2</a>"
       "</ArrayOfString>",
       R"({"Member":[{"a":"1"},{"a":"2"}]})"},
      {"categories nest under their label, Category without one",
       "<Category><A>1</A></Category>"
       "<LabelName xsd:type=\"u:string\">Capacity</LabelName>"
       "<Category><Total>9</Total><Category><Deep>x</Deep></Category>"
       "</Category>",
       R"({"Category":{"A":"1"},)"
       R"("Capacity":{"Total":"9","Capacity":{"Deep":"x"}}})"},
      {"a key met again holds every value in order",
       "<objectname>g</objectname><mode>m</mode><objectname>v1</objectname>"
       "<objectname>v2</objectname>",
       R"({"objectname":["g","v1","v2"],"mode":"m"})"},
      {"arrays under one label met twice",
       std::string(kPortLabel) +
           "<ArrayOfString xsd:type=\"u:string[1,1]\"><a>1</a>"
           "</ArrayOfString>"
           "<ArrayOfString xsd:type=\"u:string[1,1]\"><a>2</a>"
           "</ArrayOfString>",
       R"({"Port":[[{"a":"1"}],[{"a":"2"}]]})"},
      {"nothing at all", "", "{}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(json(c.answer), c.expected);
  }
}

}  // namespace
}  // namespace request_test
