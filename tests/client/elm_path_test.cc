// The ELM path on port 2301: login, session cookie and request rewriting,
// against a loopback server.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "client/digest.h"
#include "client/emclient_api.h"
#include "client/local_host.h"
#include "client/login.h"
#include "client_fixture.h"
#include "loopback_server.h"
#include "support/loopback.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;
using emclient_test::ElmScript;
using emclient_test::elmSession;
using emclient_test::LoopbackServer;
using emclient_test::xmlRequest;
using testing_support::loopbackAddress;

class ElmPath : public ClientTest {
 protected:
  int send(const std::string& text, std::string& response) {
    char* out = nullptr;
    int length = 0;
    int result = EMClientAPITNGSendRequest(text.c_str(), &out, &length, 0);
    response = out != nullptr ? std::string(out, length) : "";
    std::free(out);
    return result;
  }

  // The ELM path alone: no fallback to 12301 after a missing key.
  int sendElm(const std::string& text) {
    char* out = nullptr;
    int length = 0;
    int result = EMClientAPISendRequest(text.c_str(), &out, &length, 0);
    std::free(out);
    return result;
  }

  std::string sessionFile() { return readFile(kSessionFileName); }
};

TEST_F(ElmPath, LogsInAndSendsTheRequestWithTheCookie) {
  ElmScript script;
  LoopbackServer server(loopbackAddress(50), 2301);
  server.start(elmSession(server, script));
  std::string response;
  ASSERT_EQ(
      send("POST /ResEltMrtFusion/XMLIntr HTTP/1.1\nHost:" +
               loopbackAddress(50) +
               ":2301\n"
               "Content-Type:text/SOAP\nContent-Length:500\n\n<Envelope>"
               "<Header><hostip>111.111.111.111</hostip></Header><Body>"
               "<username>admin</username><userpassword>secret</userpassword>"
               "<x/></Body></Envelope>\n",
           response),
      0);
  EXPECT_EQ(response, script.answer);

  std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0],
            "Get /mrtlogin.htm HTTP/1.1\nHost:" + loopbackAddress(50) +
                ":2301\n"
                "Content-Type:text/xml\nContent-Length:0\n\n");
  std::string marked = std::string(20, 'K') + "0071" + std::string(32, 'k');
  std::string finalDigest = md5UpperHex("Corvane-HMMD=" + marked + "admin" +
                                        md5UpperHex("admin:secret"));
  EXPECT_EQ(requests[1],
            "Post /Proxy/LoginResponse HTTP/1.0\nAccept:*/*\n"
            "Cookie: Corvane-HMMD=" +
                marked + finalDigest + "\nCorvane-WBEM-UserName:admin\n");
  std::string envelope = "<Envelope><Header><hostip>" + localAddress() +
                         "</hostip></Header><Body><x/></Body></Envelope>\n";
  EXPECT_EQ(
      requests[2],
      "POST /ResEltMrtFusion/XMLIntr HTTP/1.1\nHost:" + loopbackAddress(50) +
          ":2301\n"
          "Cookie: Corvane-HMMD=" +
          script.cookie + "\nContent-Type:text/SOAP\nContent-Length: " +
          std::to_string(envelope.size()) + "\n\n" + envelope);
}

TEST_F(ElmPath, KeepsTheCookieWhileCredentialsAndServerStay) {
  ElmScript script;
  LoopbackServer server(loopbackAddress(51), 2301);
  LoopbackServer other(loopbackAddress(52), 2301);
  server.start(elmSession(server, script));
  other.start(elmSession(other, script));
  std::string response;
  ASSERT_EQ(send(xmlRequest(loopbackAddress(51) + ":2301", "u", "p"), response),
            0);
  EXPECT_EQ(sessionFile(), script.cookie);
  struct stat status {};
  ASSERT_EQ(stat(kSessionFileName, &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  ASSERT_EQ(send(xmlRequest(loopbackAddress(51) + ":2301", "u", "p"), response),
            0);
  EXPECT_EQ(server.requests().size(), 4u);  // one handshake for both

  ASSERT_EQ(
      send(xmlRequest(loopbackAddress(51) + ":2301", "u", "changed"), response),
      0);
  EXPECT_EQ(server.requests().size(), 7u);

  // Another manager never sees this one's cookie.
  ASSERT_EQ(
      send(xmlRequest(loopbackAddress(52) + ":2301", "u", "changed"), response),
      0);
  EXPECT_EQ(other.requests().size(), 3u);
}

// A session file that cannot be written (a full disk) costs a handshake
// per request, never a request: what reads back is no cookie.
TEST_F(ElmPath, UnwritableSessionFileOnlyCostsHandshakes) {
  ASSERT_EQ(symlink("/dev/full", kSessionFileName), 0);
  ElmScript script;
  LoopbackServer server(loopbackAddress(57), 2301);
  server.start(elmSession(server, script));
  std::string response;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(
        send(xmlRequest(loopbackAddress(57) + ":2301", "u", "p"), response), 0);
    EXPECT_EQ(response, script.answer);
  }
  EXPECT_EQ(server.requests().size(), 6u);
}

TEST_F(ElmPath, ShortPersistedCookieIsIgnored) {
  ElmScript script;
  LoopbackServer server(loopbackAddress(53), 2301);
  server.start(elmSession(server, script));
  std::string response;
  ASSERT_EQ(send(xmlRequest(loopbackAddress(53) + ":2301", "u", "p"), response),
            0);
  writeFile(kSessionFileName, std::string(55, 'S'));
  ASSERT_EQ(send(xmlRequest(loopbackAddress(53) + ":2301", "u", "p"), response),
            0);
  EXPECT_EQ(server.requests().size(), 6u);
}

TEST_F(ElmPath, LoginFailures) {
  ElmScript script;
  LoopbackServer server(loopbackAddress(54), 2301);
  server.start(elmSession(server, script));

  script.grant = false;  // tried twice with one pause
  EXPECT_EQ(sendElm(xmlRequest(loopbackAddress(54) + ":2301", "u", "p")), 202);
  EXPECT_EQ(server.requests().size(), 4u);
  EXPECT_EQ(clock.pauses, std::vector<uint32_t>{500});

  script.grant = true;
  // A page that ends with the key: refused at once, without a retry.
  script.page =
      "HTTP/1.1 200 OK\r\n\r\n<PARAM NAME=SessionKey VALUE=\"Corvane-HMMD=" +
      std::string(56, 'K');
  EXPECT_EQ(sendElm(xmlRequest(loopbackAddress(54) + ":2301", "u", "q")), 201);
  EXPECT_EQ(server.requests().size(), 5u);
  script.page.clear();

  script.key = std::string(28, 'K') + "\r\n" + std::string(26, 'K');
  EXPECT_EQ(sendElm(xmlRequest(loopbackAddress(54) + ":2301", "u", "r")), 201);
  EXPECT_EQ(server.requests().size(), 6u);

  script.key = std::string(56, 'K');
  script.cookie = "short";
  EXPECT_EQ(sendElm(xmlRequest(loopbackAddress(54) + ":2301", "u", "s")), 203);
  EXPECT_EQ(sessionFile(), "");
}

TEST_F(ElmPath, Version1RequestIsFlattenedOnTheWire) {
  ElmScript script;
  LoopbackServer server(loopbackAddress(55), 2301);
  server.start(elmSession(server, script));
  std::string response;
  std::string request =
      "POST /ResEltMrtFusion/Tallow HTTP/1.1\nHost:" + loopbackAddress(55) +
      ":12301\n"
      "Content-Type: text/SOAP\nContent-Length: 0999\nSOAP Action:\"Get\"\n\n"
      "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
      "<SOAP:Body=corvane-fenmoor:zorapi.v1>\n"
      "\t<m:Get xmlns:m=\"TALLOW-URI\">\r\n"
      "\t<Type xsd:type=\"string\">Host</Type>\n"
      "\t<UserName xsd:type=\"string\">u</UserName>\n"
      "\t<UserPassword xsd:type=\"string\">p</UserPassword>\n"
      "</m:Get>\n</SOAP:Body>\n</SOAP:Envelope>\n";
  char* out = nullptr;
  int length = 0;
  ASSERT_EQ(EMClientAPISendRequest(request.c_str(), &out, &length, 0), 0);
  std::free(out);
  std::string envelope =
      "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">"
      "<SOAP:Body=corvane-fenmoor:zorapi.v1><m:Get xmlns:m=\"TALLOW-URI\">"
      "<Type xsd:type=\"string\">Host</Type></m:Get></SOAP:Body>"
      "</SOAP:Envelope>";
  ASSERT_EQ(server.requests().size(), 3u);
  EXPECT_EQ(
      server.requests()[2],
      "POST /ResEltMrtFusion/Tallow HTTP/1.1\nHost:" + loopbackAddress(55) +
          ":2301\n"
          "Cookie: Corvane-HMMD=" +
          script.cookie + "\nContent-Type: text/SOAP\nContent-Length: " +
          std::to_string(envelope.size()) + "\nSOAP Action:\"Get\"\n\n" +
          envelope);
}

TEST_F(ElmPath, TraceFollowsTheLoginSteps) {
  ElmScript script;
  LoopbackServer server(loopbackAddress(56), 2301);
  server.start(elmSession(server, script));
  EMClientAPITNGSetDebugMode(2, nullptr);
  std::string response;
  ASSERT_EQ(send(xmlRequest(loopbackAddress(56) + ":2301", "u", "p"), response),
            0);
  std::string log = readFile("EMClientAPIDebug.txt");
  std::size_t at = 0;
  for (const char* line :
       {" ** Original received request from application ->",
        " ** Received request is valid",
        " ** SessionKeyRequest string ->",
        " ** Socket open to request the session key",
        " ** Request for the session key sent",
        " ** Response with session key received",
        " ** SessionKeyResponse string ->",
        " ** Session key found in session key response ->",
        " ** Username password pair build for MD5 hashing ->",
        " ** MD5 hash for username password pair ->",
        " ** Final security string before MD5 hashing ->",
        " ** Final security string MD5 hashed ->",
        " ** Final security cookie with session key and final hashing ->",
        " ** Security validation request ->",
        " ** Socket connection open for security validation request",
        " ** Security validation request sent",
        " ** Security validation response received",
        " ** Security validation response ->",
        " ** User rights validated",
        " ** Final security cookie obtained from security validation "
        "response ->",
        " ** Security updated request for server ->",
        " ** Security check successfull",
        " ** Response from server received",
        " ** Response from server ->",
        " ** Request has been sent to server and response received"}) {
    std::size_t found = log.find(std::string("\n\n") + line + "\n", at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found + 1;
  }
}

}  // namespace
}  // namespace emclient
