#include "client/request_rewrite.h"

#include <gtest/gtest.h>

#include <string>

#include "client/client_request.h"
#include "client/emclient_api.h"
#include "client/local_host.h"
#include "client/text_search.h"
#include "client_fixture.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;

const std::string kV1Headers =
    "POST /ResEltMrtFusion/Tallow HTTP/1.1\n"
    "Host:127.0.0.1:2301\n"
    "Content-Type: text/SOAP\n"
    "Content-Length: 0999\n"
    "SOAP Action:\"Get\"\n"
    "\n";
const std::string kV1Envelope =
    "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
    "<SOAP:Body=corvane-fenmoor:zorapi.v1>\r\n"
    "\t<m:Get xmlns:m=\"TALLOW-URI\">\n"
    "\t\t<Type xsd:type=\"string\">Host</Type>\n"
    "\t\t<UserName xsd:type=\"string\">admin</UserName>\n"
    "\t\t<UserPassword xsd:type=\"string\">secret</UserPassword>\n"
    "\t</m:Get>\n"
    "</SOAP:Body>\n"
    "</SOAP:Envelope>\n";

class RequestRewrite : public ClientTest {};

TEST_F(RequestRewrite, FlattensTheEnvelopeOfAVersion1Request) {
  std::string text = kV1Headers + kV1Envelope;
  EXPECT_EQ(validateAndFlatten(text), 0);
  EXPECT_EQ(text, kV1Headers +
                      "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:"
                      "soap.v1\"><SOAP:Body=corvane-fenmoor:zorapi.v1><m:Get "
                      "xmlns:m=\"TALLOW-URI\"><Type xsd:type=\"string\">Host"
                      "</Type><UserName xsd:type=\"string\">admin</UserName>"
                      "<UserPassword xsd:type=\"string\">secret</UserPassword>"
                      "</m:Get></SOAP:Body></SOAP:Envelope>");
}

TEST_F(RequestRewrite, RefusesAVersion1RequestWithoutAMarker) {
  EMClientAPITNGSetDebugMode(1, nullptr);
  std::string headers = kV1Headers;
  headers.replace(headers.find("SOAP Action:"), 12, "SOAPAction: ");
  std::string text = headers + kV1Envelope;
  EXPECT_EQ(validateAndFlatten(text), 200);
  EXPECT_EQ(text, headers + kV1Envelope);
  std::string log = readFile("EMClientAPIDebug.txt");
  EXPECT_NE(log.find("\n\nValidation string not found ->\n"),
            std::string::npos);
  EXPECT_NE(log.find("\n\nSOAP Action:\n"), std::string::npos);
}

TEST_F(RequestRewrite, OtherDialectPassesUnchecked) {
  std::string text = emclient_test::xmlRequest("h:2301", "u", "p");
  std::string before = text;
  EXPECT_EQ(validateAndFlatten(text), 0);
  EXPECT_EQ(text, before);
}

TEST(Credentials, ValuesAreReadWithEntitiesDecoded) {
  struct Case {
    std::string text;
    std::string user;
    std::string password;
  } cases[] = {
      {kV1Envelope, "admin", "secret"},
      {"<username>a&amp;b</username><userpassword>&lt;x&gt;&amp;lt;"
       "</userpassword>",
       "a&b", "<x>&lt;"},
      {"<username>only</username>", "only", ""},
      {"<username>u</username><userpassword></userpassword>", "u", ""},
      {"<username>unclosed<userpassword>p", "", ""},
      // The version-1 tags win over the XML-interface ones.
      {"<username>x</username><UserName xsd:type=\"string\">y</UserName>", "y",
       ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(credentialValue(c.text, Credential::kUserName), c.user) << c.text;
    EXPECT_EQ(credentialValue(c.text, Credential::kPassword), c.password)
        << c.text;
  }
}

TEST(Credentials, StripCutsEachCompleteElement) {
  std::string text =
      "<Body><username>u</username>mid<userpassword>p</userpassword>end";
  stripCredentials(text);
  EXPECT_EQ(text, "<Body>midend");
  std::string unclosed = "<Body><username>u</username><userpassword>p";
  stripCredentials(unclosed);
  EXPECT_EQ(unclosed, "<Body><userpassword>p");
}

TEST(BodyLength, CountsFromTheEnvelopeStart) {
  std::string text = "POST / HTTP/1.1\nContent-Length: 0999\n\n<Envelope>x";
  fixBodyLength(text);
  EXPECT_EQ(text, "POST / HTTP/1.1\nContent-Length: 11\n\n<Envelope>x");
  std::string noLineEnd = "Content-Length:<SOAP:Envelope>";
  fixBodyLength(noLineEnd);
  EXPECT_EQ(noLineEnd, "Content-Length:<SOAP:Envelope>");
}

// The first bare envelope wins wherever it lies; a prefixed one only when
// there is no bare one.
TEST(EnvelopeStart, BareBeforePrefixed) {
  struct Case {
    std::string text;
    std::size_t start;
  } cases[] = {
      {"<Envelope>", 0},
      {"h\n\n<SOAP:Envelope><Envelope>", 18},
      {"h\n\n<SOAP:Envelope></SOAP:Envelope>", 3},
      {"Envelope SOAP:Envelope <Envelop", kNotFound},
      {"x:Envelope <SOAP:Envelopes", 11},
      {"", kNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(envelopeStart(c.text), c.start) << c.text;
  }
}

TEST(ClientAddress, ReplacesTheHostIpText) {
  std::string text = "<hostip>111.111.111.111</hostip><hostname>";
  ASSERT_EQ(setClientAddress(text), 0);
  EXPECT_EQ(text, "<hostip>" + localAddress() + "</hostip><hostname>");
  std::string unclosed = "<hostip>111.111.111.111";
  EXPECT_EQ(setClientAddress(unclosed), 0);
  EXPECT_EQ(unclosed, "<hostip>111.111.111.111");
}

TEST(HostLine, HostAndPortComeFromTheirOwnLine) {
  struct Case {
    std::string text;
    std::string host;
    std::string port;
  } cases[] = {
      {"POST / HTTP/1.1\nHost:10.0.0.5:12301\nX: y\n", "10.0.0.5", "12301"},
      {"POST / HTTP/1.1\nHost:name:2301\r\n", "name", "2301"},
      // Without a port the body's colons are not taken for one.
      {"POST / HTTP/1.1\nHost:name\n\n<SOAP:Envelope>", "name", ""},
      {"POST / HTTP/1.1\n\n<a:b>", "", ""},
      // An IPv6 address keeps its brackets, and its colons end nothing.
      {"POST / HTTP/1.1\nHost:[fd00::5]:12301\n", "[fd00::5]", "12301"},
      {"POST / HTTP/1.1\nHost:[::1]\n\n<a:b>", "[::1]", ""},
      {"POST / HTTP/1.1\nHost:[::1\n", "[", ":1"},
  };
  for (const Case& c : cases) {
    ClientRequest request(c.text);
    EXPECT_EQ(request.host(), c.host) << c.text;
    EXPECT_EQ(request.port(), c.port) << c.text;
  }
  ClientRequest overridden("Host:h:2301\n");
  overridden.overridePort("12301");
  overridden.clearKept();
  EXPECT_EQ(overridden.port(), "12301");
  EXPECT_EQ(withHostPort("A\nHost:h:12301\nB\n", "2301"),
            "A\nHost:h:2301\nB\n");
  EXPECT_EQ(withHostPort("A\nHost:h\nB\n", "2301"), "A\nHost:h:2301\nB\n");
  EXPECT_EQ(withHostPort("A\nHost:[::1]:12301\nB\n", "2301"),
            "A\nHost:[::1]:2301\nB\n");
}

}  // namespace
}  // namespace emclient
