// Framing requests as the manager's clients send them: bare line feeds,
// Basic credentials broken every 76 characters, and the zero byte that ends
// every request on the login port.
#include <gtest/gtest.h>

#include "sim/http.h"

namespace {

using sim::Framing;

struct FramingCase {
  const char* what;
  std::string bytes;
  bool loginPort;
  Framing expected;
  size_t bodySize;  // when complete
};

std::string Nul() { return std::string(1, '\0'); }

TEST(Framing, ReadsEachShapeOfRequest) {
  std::string b76(76, 'A');
  std::string b80 = std::string(76, 'B');
  const FramingCase cases[] = {
      {"bare line feeds with a body",
       "POST /x HTTP/1.1\nContent-Length:3\n\nabc", false, Framing::kComplete,
       3},
      {"carriage returns and line feeds",
       "POST /x HTTP/1.1\r\nContent-Length: 2\r\n\r\nhi", false,
       Framing::kComplete, 2},
      {"credentials of exactly 76 characters end with CR LF then LF",
       "POST /x HTTP/1.1\nAuthorization: Basic " + b76 +
           "\r\n\nContent-Length:1\n\nZ",
       false, Framing::kComplete, 1},
      {"credentials broken after 76 characters continue on the next line",
       "POST /x HTTP/1.1\nAuthorization: Basic " + b80 +
           "\r\nCCCC\nContent-Length:1\n\nZ",
       false, Framing::kComplete, 1},
      {"a standard request whose last header holds credentials",
       "POST /x HTTP/1.1\r\nAuthorization: Basic QQ==\r\n\r\n", false,
       Framing::kComplete, 0},
      {"the login request ends with a zero byte and no empty line",
       "Post /Proxy/LoginResponse "
       "HTTP/1.0\nAccept:*/*\nCorvane-WBEM-UserName:u\n" +
           Nul(),
       true, Framing::kComplete, 0},
      {"the session-key request with its trailing zero byte",
       "Get /mrtlogin.htm HTTP/1.1\nHost:h:2301\nContent-Length:0\n\n" + Nul(),
       true, Framing::kComplete, 0},
      {"a standard client's request without a length has no body",
       "GET /mrtlogin.htm HTTP/1.1\r\nHost: h:2301\r\nAccept: */*\r\n\r\n",
       true, Framing::kComplete, 0},
      {"nor has one with a zero byte after it", "POST /x HTTP/1.1\n\n" + Nul(),
       true, Framing::kComplete, 0},
      {"headers not finished", "POST /x HTTP/1.1\nContent-Le", false,
       Framing::kNeedMore, 0},
      {"body shorter than announced",
       "POST /x HTTP/1.1\nContent-Length:10\n\nabc", false, Framing::kNeedMore,
       0},
      {"garbage request line", "\x01\x02 garbage\n\n", false, Framing::kBad, 0},
      {"header without a colon", "POST /x HTTP/1.1\nNoColonHere\n\n", false,
       Framing::kBad, 0},
      {"length that is not a number",
       "POST /x HTTP/1.1\nContent-Length: 1x\n\n", false, Framing::kBad, 0},
      {"two different lengths",
       "POST /x HTTP/1.1\nContent-Length: 1\nContent-Length: 2\n\nab", false,
       Framing::kBad, 0},
      {"enormous length", "POST /x HTTP/1.1\nContent-Length: 99999999999\n\n",
       false, Framing::kTooLarge, 0},
      {"zero byte inside a header line",
       "POST /x HTTP/1.1\nHo" + Nul() + "st: a\n\n", true, Framing::kBad, 0},
  };
  for (const FramingCase& c : cases) {
    sim::HttpRequest request;
    size_t consumed = 0;
    std::string problem;
    Framing framing =
        sim::FrameRequest(c.bytes, c.loginPort, {}, request, consumed, problem);
    EXPECT_EQ(framing, c.expected) << c.what << ": " << problem;
    if (framing == Framing::kComplete) {
      EXPECT_EQ(request.body.size(), c.bodySize) << c.what;
      EXPECT_LE(consumed, c.bytes.size()) << c.what;
    }
  }
}

TEST(Framing, JoinsBrokenCredentialsIntoOneHeader) {
  std::string encoded = std::string(76, 'A') + "\r\nBBBB";
  std::string bytes =
      "POST /zorbridge HTTP/1.1\nHost:h:12301\nAuthorization: Basic " +
      encoded + "\nContent-Type:text/xml\nContent-Length:0\n\n";
  sim::HttpRequest request;
  size_t consumed = 0;
  std::string problem;
  ASSERT_EQ(sim::FrameRequest(bytes, false, {}, request, consumed, problem),
            Framing::kComplete);
  EXPECT_EQ(sim::HeaderValue(request, "authorization"),
            "Basic " + std::string(76, 'A') + "BBBB");
  EXPECT_EQ(sim::HeaderValue(request, "Content-Type"), "text/xml");
  EXPECT_EQ(consumed, bytes.size());
}

TEST(Framing, LeavesAPipelinedRequestForLater) {
  std::string first = "POST /a HTTP/1.1\nContent-Length:2\n\nab";
  std::string bytes = first + "POST /b HTTP/1.1\nContent-Length:0\n\n";
  sim::HttpRequest request;
  size_t consumed = 0;
  std::string problem;
  ASSERT_EQ(sim::FrameRequest(bytes, false, {}, request, consumed, problem),
            Framing::kComplete);
  EXPECT_EQ(request.target, "/a");
  EXPECT_EQ(consumed, first.size());
}

TEST(Framing, RefusesAnEndlessHeaderBlock) {
  std::string bytes = "POST /x HTTP/1.1\n" + std::string(20000, 'x');
  sim::HttpRequest request;
  size_t consumed = 0;
  std::string problem;
  EXPECT_EQ(sim::FrameRequest(bytes, false, {}, request, consumed, problem),
            Framing::kTooLarge);
}

}  // namespace
