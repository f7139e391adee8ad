#include "client/text_transport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>

#include "client/admin_credentials.h"
#include "client/digest.h"
#include "client/emclient_api.h"
#include "client/text_search.h"
#include "client_fixture.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;
using emclient_test::xmlRequest;

class TextTransport : public ClientTest {
 protected:
  std::string build(const std::string& text, int expected = 0) {
    ClientRequest request(text);
    std::string http;
    EXPECT_EQ(buildTextTransport(request, http), expected);
    return http;
  }

  // An access-control line: the user name at byte 7 and the password at
  // byte 199, each ended by a zero byte.
  static std::string aclLine(const std::string& user,
                             const std::string& password) {
    std::string line(7, 'h');
    line += user;
    line.resize(199, '\0');
    line += password;
    line.push_back('\0');
    return line + "\n";
  }

  void useAccessControlFile(const std::string& content) {
    writeFile("MRTHMMD.ACL", content);
    setenv("EMCLIENTAPI_ACL_FILE", (directory + "/MRTHMMD.ACL").c_str(), 1);
  }
};

TEST_F(TextTransport, WrapsTheRequestByteForByte) {
  std::string http = build(xmlRequest("127.0.0.5:12301", "admin", "secret"));
  EXPECT_EQ(
      http,
      "POST /zorbridge HTTP/1.1\n"
      "Host:127.0.0.5:12301\n"
      "User-Agent: SoapClient 1.0\n"
      // "admin:" and the MD5 of "admin:secret"
      "Authorization: Basic "
      "YWRtaW46MkQxRTRGOTFEQUU0OUNEMDhFQUJBMjI5M0U0MjIyNzM=\n"
      "Content-Type:text/xml; charset=utf-8\n"
      "Content-Length:569\n"
      "SOAPAction:\"urn:Dunmore-Fenwall:BridgeXMLInterface.v3/"
      "executeTextTransport\"\n"
      "\n"
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<soap:Envelope "
      "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
      "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"\n"
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
      "<soap:Body>\n"
      "<m:executeTextTransport "
      "xmlns:m=\"urn:Dunmore-Fenwall:BridgeXMLInterface.v3\">\n"
      "<xmlPayload>&lt;Envelope "
      "xmlns='http://www.tarnwick.example/zorapiv32'&gt;&lt;Header&gt;&lt;"
      "version&gt;3.2&lt;/version&gt;&lt;/Header&gt;&lt;Body&gt;&lt;"
      "getsysteminfo/&gt;&lt;/Body&gt;&lt;/Envelope&gt;\n"
      "</xmlPayload>\n"
      "</m:executeTextTransport>\n"
      "</soap:Body>\n"
      "</soap:Envelope>");
  EXPECT_EQ(http.find("secret"), std::string::npos);
}

TEST_F(TextTransport, EscapesAmpersandsFirstAndFillsTheClientAddress) {
  std::string http =
      build(xmlRequest("127.0.0.5:12301", "u", "p",
                       "<hostip>111.111.111.111</hostip><name>a&amp;b</name>"));
  EXPECT_NE(http.find("&lt;name&gt;a&amp;amp;b&lt;/name&gt;"),
            std::string::npos);
  EXPECT_EQ(http.find("111.111.111.111"), std::string::npos);
}

TEST_F(TextTransport, RemoteRequestWithoutPasswordHasEmptyCredentials) {
  std::string http = build(xmlRequest("127.0.0.5:12301", "u", ""));
  EXPECT_NE(http.find("\nAuthorization: Basic \nContent-Type:"),
            std::string::npos);
  EXPECT_EQ(http.find("&lt;username&gt;"), std::string::npos);
}

TEST_F(TextTransport, LocalRequestWithoutPasswordUsesTheAdministrator) {
  useAccessControlFile(aclLine("operator", "nope") +
                       aclLine("administrator", "Adm1n"));
  std::string http = build(xmlRequest("localhost:12301", "u", ""));
  EXPECT_NE(http.find("\nAuthorization: Basic " +
                      base64Lines("administrator:Adm1n") + "\n"),
            std::string::npos);
  EXPECT_NE(http.find("\nHost:localhost:12301\n"), std::string::npos);
  EXPECT_EQ(http.find("Adm1n"), std::string::npos);
}

// A retry sends the request again as the caller gave it.
TEST_F(TextTransport, RequestKeepsItsTextWhenTheAdministratorIsAdded) {
  useAccessControlFile(aclLine("administrator", "Adm1n"));
  const std::string text = xmlRequest("localhost:12301", "u", "");
  ClientRequest request(text);
  std::string first;
  ASSERT_EQ(buildTextTransport(request, first), 0);
  EXPECT_EQ(request.text(), text);
  std::string second;
  ASSERT_EQ(buildTextTransport(request, second), 0);
  EXPECT_EQ(second, first);
}

// Users and passwords that join to the same "user:password" text are told
// apart: the user name stands in the lines as it is.
TEST_F(TextTransport, AuthorizationFollowsEachUserAndPassword) {
  struct Case {
    std::string user;
    std::string password;
  } cases[] = {{"a:b", "c"}, {"a", "b:c"}, {"a", "b:c"}, {"admin", "secret"}};
  for (const Case& c : cases) {
    std::string http = build(xmlRequest("127.0.0.5:12301", c.user, c.password));
    std::string lines =
        base64Lines(c.user + ":" + md5UpperHex(c.user + ":" + c.password));
    EXPECT_NE(http.find("\nAuthorization: Basic " + lines + "\n"),
              std::string::npos)
        << c.user << " " << c.password;
  }
}

TEST_F(TextTransport, FallbackPortSurvivesTheAdministratorCredentials) {
  useAccessControlFile(aclLine("administrator", "Adm1n"));
  ClientRequest request(xmlRequest("localhost:2301", "u", ""));
  request.overridePort("12301");
  std::string http;
  ASSERT_EQ(buildTextTransport(request, http), 0);
  EXPECT_NE(http.find("\nHost:localhost:12301\n"), std::string::npos);
}

TEST_F(TextTransport, UnclosedCredentialIsRefused) {
  EMClientAPITNGSetDebugMode(1, nullptr);
  build(
      "Host:127.0.0.5:12301\n\n<Envelope><Body><username>u</username>"
      "<userpassword>secret</Body></Envelope>",
      200);
  EXPECT_NE(readFile("EMClientAPIDebug.txt")
                .find("\n\nUsername and password invalid order.\n"),
            std::string::npos);
  build("Host:127.0.0.5:12301\n\nno envelope", 200);
}

TEST_F(TextTransport, CredentialsAreCutInEitherOrder) {
  std::string http = build(
      "Host:127.0.0.5:12301\n\n<Envelope><userpassword>p</userpassword>"
      "<x/><username>u</username><y/></Envelope>");
  EXPECT_NE(http.find("<xmlPayload>&lt;Envelope&gt;&lt;y/&gt;"),
            std::string::npos);
}

TEST(Payload, IsExtractedAndUnescaped) {
  struct Case {
    std::string answer;
    bool found;
    std::string payload;
  } cases[] = {
      {"<xmlPayload>&lt;a&gt;x&lt;/a&gt;</xmlPayload>", true, "<a>x</a>"},
      {"<xmlPayload>1 &gt; 0 &amp;</xmlPayload>", true, "1 &gt; 0 &amp;"},
      {"<xmlPayload>&lt;a&gt;&amp;lt;</xmlPayload>", true, "<a>&amp;lt;"},
      {"<xmlPayload></xmlPayload>", true, ""},
      {"<xmlPayload>no end", false, ""},
      // Tags left as they are: the close tag is not the first '<'.
      {"<xmlPayload><a/></xmlPaylo</xmlPayload>", true, "<a/></xmlPaylo"},
      {"<xmlPayload>a<b", false, ""},
      {"</xmlPayload>wrong order<xmlPayload>", false, ""},
      {"nothing", false, ""},
  };
  for (const Case& c : cases) {
    std::string payload;
    EXPECT_EQ(extractPayload(c.answer, payload), c.found) << c.answer;
    EXPECT_EQ(payload, c.payload) << c.answer;
  }
}

// Payloads of every length, entities anywhere: the block-wise pass gives
// what turning every "&lt;" back and then every "&gt;" gives.
TEST_F(TextTransport, PayloadsOfAnyLengthAreTurnedBackWhole) {
  std::mt19937 random(3);
  const char alphabet[] = "&ltg;ab\n";
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 90); i > 0; --i) {
      text.push_back(alphabet[random() % (sizeof alphabet - 1)]);
    }
    if (round % 2 == 0) text += "&lt;";
    std::string expected =
        contains(text, "&lt;")
            ? replaceAll(replaceAll(text, "&lt;", "<"), "&gt;", ">")
            : text;
    std::string payload;
    ASSERT_TRUE(
        extractPayload("x<xmlPayload>" + text + "</xmlPayload>y", payload));
    ASSERT_EQ(payload, expected) << text;
  }
}

class AccessControlFile : public TextTransport {};

TEST_F(AccessControlFile, FieldsAreBoundedByTheLineRead) {
  struct Case {
    std::string content;
    std::string password;
  } cases[] = {
      {aclLine("administrator", "pw1"), "pw1"},
      // A CR LF ending and no zero bytes.
      {std::string(7, 'h') + "administrator" + std::string(179, '\0') +
           "pw2\r\n",
       "pw2"},
      // A short line has no password field.
      {"1234567administrator\n", ""},
      {"short\n" + aclLine("administrator", "pw3"), "pw3"},
  };
  for (const Case& c : cases) {
    resetAdministratorPassword();
    useAccessControlFile(c.content);
    EXPECT_EQ(administratorPassword(), c.password);
  }
}

TEST_F(AccessControlFile, IsReadAgainWhenItChanges) {
  useAccessControlFile(aclLine("administrator", "old"));
  EXPECT_EQ(administratorPassword(), "old");
  useAccessControlFile(aclLine("administrator", "newer"));
  EXPECT_EQ(administratorPassword(), "newer");
  unlink("MRTHMMD.ACL");
  EXPECT_EQ(administratorPassword(), "newer");
}

}  // namespace
}  // namespace emclient
