#include "request/request_envelope.h"

#include <string>

#include "request/pending_properties.h"
#include "session_fixture.h"

namespace request_test {
namespace {

using namespace request;

class RequestEnvelopeTest : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    selectManager();
    selectSystem();
  }

  std::string request() const {
    return std::string(session_.work.requestBuffer,
                       static_cast<std::size_t>(session_.work.requestLength));
  }

  // The body elements between the operation's opening and closing lines.
  std::string v1Elements() const {
    std::string text = request();
    std::size_t start = text.find("<m:Get xmlns:m=\"TALLOW-URI\">\n");
    std::size_t end = text.find("</m:Get>");
    start += std::string("<m:Get xmlns:m=\"TALLOW-URI\">\n").size();
    return text.substr(start, end - start);
  }
};

TEST_F(RequestEnvelopeTest, VersionOneListRequestOfHosts) {
  BeginV1Request(context_, "Get", "StorageClient");
  PutProperty(context_, "ElementID", session_.systemId);
  PutProperty(context_, "ID", "");
  EmitV1Properties(context_);
  EndV1Request(context_);
  EXPECT_EQ(request(),
            "POST /ResEltMrtFusion/Tallow HTTP/1.1\n"
            "Host:127.0.0.9:12301\n"
            "Content-Type: text/SOAP\n"
            "Content-Length:  506\n"
            "SOAP Action:\"Get\"\n"
            "\n"
            "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
            "<SOAP:Body=corvane-fenmoor:zorapi.v1>\n"
            "<m:Get xmlns:m=\"TALLOW-URI\">\n"
            "<ID xsd:type=\"string\"></ID>\n"
            "<ElementID xsd:type=\"string\">S1</ElementID>\n"
            "<UserPassword xsd:type=\"string\">secret</UserPassword>\n"
            "<UserName xsd:type=\"string\">admin</UserName>\n"
            "<Type xsd:type=\"string\">StorageClient</Type>\n"
            "</m:Get>\n"
            "</SOAP:Body>\n"
            "</SOAP:Envelope>\n");
  EXPECT_EQ(session_.work.pendingProperties, nullptr);
  EXPECT_EQ(session_.work.currentOperation, nullptr);
}

TEST_F(RequestEnvelopeTest, VersionThreeTwoGetProperties) {
  BeginV32Request(context_, "getproperties");
  PutProperty(context_, "objecttype", "virtualdisk");
  PutProperty(context_, "objectid", "V7");
  PutProperty(context_, "scellid", "S1");
  EmitV32Properties(context_);
  EndV32Request(context_);
  EXPECT_EQ(request(),
            "POST /ResEltMrtFusion/XMLIntr HTTP/1.1\n"
            "Host:127.0.0.9:12301\n"
            "Content-Type: text/SOAP\n"
            "SOAPAction:'urn:Dunmore-Fenwall:BridgeXMLInterface.v3'\n"
            "Content-Length:  737\n"
            "\n"
            "\n"
            "<Envelope xmlns='http://tarnwick.example/zorapiv32'>\n"
            "<Header>\n"
            "<version>3.2</version>\n"
            "<application>\n"
            "<hostip>111.111.111.111</hostip>\n"
            "<hostname>notspecified</hostname>\n"
            "<applicationname>PELK</applicationname>\n"
            "<applicationtype>0a</applicationtype>\n"
            "</application>\n"
            "<tracerequest>always</tracerequest>\n"
            "<disablevalidation/>\n"
            "</Header>\n"
            "<Body>\n"
            "<username>admin</username>\n"
            "<userpassword>secret</userpassword>\n"
            "<NsaServerOperation>\n"
            "<getproperties>\n"
            "<scellid>S1</scellid>\n"
            "<objectid>V7</objectid>\n"
            "<objecttype>virtualdisk</objecttype>\n"
            "</getproperties>\n"
            "</NsaServerOperation>\n"
            "</Body>\n"
            "</Envelope>\n");
}

// The list order is the wire order: front insertion reverses, a repeated
// name keeps its place, AddPropertyN repeats the element, and the Last
// forms append.
TEST_F(RequestEnvelopeTest, InsertionOperationsDecideTheElementOrder) {
  PutProperty(context_, "Name", "first");
  PutPropertyLast(context_, "objectname", "dr1");
  BeginV1Request(context_, "Get", "Storage");
  PutProperty(context_, "Name", "second");
  AddPropertyN(context_, "lunwwn", "6000-1xyz", 6);
  AddPropertyN(context_, "lunwwn", "6000-2", 6);
  PutPropertyLastN(context_, "comments", "abcdef", 3);
  PutPropertyLastN(context_, "objectname", "dr2", 3);
  PutPropertyN(context_, "Size", "10", 2);
  EmitV1Properties(context_);
  EndV1Request(context_);
  EXPECT_EQ(v1Elements(),
            "<Size xsd:type=\"string\">10</Size>\n"
            "<lunwwn xsd:type=\"string\">6000-2</lunwwn>\n"
            "<lunwwn xsd:type=\"string\">6000-1</lunwwn>\n"
            "<UserPassword xsd:type=\"string\">secret</UserPassword>\n"
            "<UserName xsd:type=\"string\">admin</UserName>\n"
            "<Type xsd:type=\"string\">Storage</Type>\n"
            "<Name xsd:type=\"string\">second</Name>\n"
            "<objectname xsd:type=\"string\">dr2</objectname>\n"
            "<comments xsd:type=\"string\">abc</comments>\n");
}

TEST_F(RequestEnvelopeTest, ValuesCannotBreakTheRequestMarkup) {
  session::release(session_.password);
  session_.password = copy("a<b&c");
  BeginV1Request(context_, "Get", "Storage");
  PutProperty(context_, "IP", "</IP><Inject>x</Inject>");
  EmitV1Properties(context_);
  EndV1Request(context_);
  EXPECT_EQ(v1Elements(),
            "<IP xsd:type=\"string\">&lt;/IP&gt;&lt;Inject&gt;x&lt;/"
            "Inject&gt;</IP>\n"
            "<UserPassword xsd:type=\"string\">a&lt;b&amp;c</UserPassword>\n"
            "<UserName xsd:type=\"string\">admin</UserName>\n"
            "<Type xsd:type=\"string\">Storage</Type>\n");

  BeginV32Request(context_, "setproperties");
  EmitV32Properties(context_);
  EndV32Request(context_);
  EXPECT_NE(request().find("<userpassword>a&lt;b&amp;c</userpassword>\n"),
            std::string::npos);
}

TEST_F(RequestEnvelopeTest, LongValuesAreWrittenWhole) {
  std::string wwn(5000, '6');
  BeginV1Request(context_, "Set", "StorageClient");
  PutProperty(context_, "StorageClientAdapterID", wwn.c_str());
  EmitV1Properties(context_);
  EndV1Request(context_);
  EXPECT_NE(request().find(">" + wwn + "</StorageClientAdapterID>\n"),
            std::string::npos);
  // Past 9999 characters the four-character placeholder keeps 9999.
  PutProperty(context_, "comments", std::string(10000, 'c').c_str());
  BeginV1Request(context_, "Set", "StorageClient");
  EmitV1Properties(context_);
  EndV1Request(context_);
  EXPECT_GT(session_.work.requestLength, 9999);
  EXPECT_NE(request().find("\nContent-Length: 9999\n"), std::string::npos);
}

TEST_F(RequestEnvelopeTest, TheLastCharacterFitsAndOneMoreIsFatal) {
  BeginV1Request(context_, "Get", "Storage");
  std::string fill(
      static_cast<std::size_t>(kRequestLimit - session_.work.requestLength),
      'x');
  AppendRequestText(context_, fill.c_str());
  EXPECT_EQ(session_.work.requestLength, 29999);
  EXPECT_EQ(session_.work.requestBuffer[29999], '\0');

  EXPECT_EXIT(
      {
        std::freopen("/dev/null", "r", stdin);
        session::outputStream = stderr;
        AppendRequestText(context_, "y");
      },
      ::testing::ExitedWithCode(1),
      "\nError: SOAP buffer exceeded when building SOAP command\n\nPress "
      "return to exit");
}

}  // namespace
}  // namespace request_test
