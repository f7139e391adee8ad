// EMClientAPITNGSendRequest against loopback servers on the real ports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "client/client_request.h"
#include "client/emclient_api.h"
#include "client/text_transport.h"
#include "client_fixture.h"
#include "loopback_server.h"
#include "support/loopback.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;
using emclient_test::ElmScript;
using emclient_test::elmSession;
using emclient_test::LoopbackServer;
using emclient_test::textTransportAnswer;
using emclient_test::textTransportSession;
using emclient_test::xmlRequest;
using testing_support::loopbackAddress;

std::string statusAnswer(int status) {
  return textTransportAnswer("<version>3.2</version><statuscode>" +
                             std::to_string(status) + "</statuscode>");
}

class FrontLayer : public ClientTest {
 protected:
  int send(const std::string& text, std::string& response, int retryCount = 0) {
    char* out = nullptr;
    int length = -1;
    int result =
        EMClientAPITNGSendRequest(text.c_str(), &out, &length, retryCount);
    response = out != nullptr ? std::string(out, length) : "<null>";
    std::free(out);
    return result;
  }
};

TEST_F(FrontLayer, SendsTheTextTransportAndHandsOutThePayload) {
  LoopbackServer server(loopbackAddress(30), 12301);
  server.start(textTransportSession(server, [](int, const std::string&) {
    return textTransportAnswer("<answer>ok</answer>");
  }));
  std::string text =
      xmlRequest(loopbackAddress(30) + ":12301", "admin", "secret");
  std::string response;
  ASSERT_EQ(send(text, response), 0);
  EXPECT_EQ(response, "<answer>ok</answer>");

  ClientRequest request(text);
  std::string expected;
  ASSERT_EQ(buildTextTransport(request, expected), 0);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0], expected);
}

TEST_F(FrontLayer, KeepsOneConnectionPerServer) {
  LoopbackServer first(loopbackAddress(31), 12301);
  LoopbackServer second(loopbackAddress(32), 12301);
  auto ok = [](int, const std::string&) { return textTransportAnswer("<a/>"); };
  first.start(textTransportSession(first, ok));
  second.start(textTransportSession(second, ok));
  std::string response;
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(
        send(xmlRequest(loopbackAddress(31) + ":12301", "u", "p"), response),
        0);
  }
  EXPECT_EQ(first.accepted(), 1);
  EXPECT_EQ(first.requests().size(), 3u);

  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(32) + ":12301", "u", "p"), response), 0);
  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(31) + ":12301", "u", "p"), response), 0);
  EXPECT_EQ(first.accepted(), 2);
  EXPECT_EQ(second.accepted(), 1);
  EXPECT_EQ(EMClientAPITNGCloseConnections(), 0);
}

TEST_F(FrontLayer, ReopensADroppedConnectionOnce) {
  LoopbackServer server(loopbackAddress(33), 12301);
  // Every connection serves one request and is then dropped.
  server.start([&server](int descriptor) {
    std::string request = emclient_test::readHttpRequest(descriptor);
    server.record(request);
    emclient_test::writeAll(descriptor, textTransportAnswer("<a/>"));
  });
  std::string response;
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(
        send(xmlRequest(loopbackAddress(33) + ":12301", "u", "p"), response),
        0);
  }
  EXPECT_EQ(server.accepted(), 3);
  EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(FrontLayer, RefusedConnectionFallsOverToTheElmPath) {
  ElmScript script;
  LoopbackServer elm(loopbackAddress(34), 2301);
  elm.start(elmSession(elm, script));
  std::string response;
  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(34) + ":12301", "u", "p"), response), 0);
  EXPECT_EQ(response, script.answer);
  ASSERT_EQ(elm.requests().size(), 3u);
  EXPECT_NE(elm.requests()[2].find("\nHost:" + loopbackAddress(34) + ":2301\n"),
            std::string::npos);

  // When the ELM path fails too, its own result comes back.
  script.giveKey = false;
  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(34) + ":12301", "v", "p"), response),
      201);
}

TEST_F(FrontLayer, MissingSessionKeyOn2301FallsOverTo12301) {
  ElmScript script;
  script.giveKey = false;
  LoopbackServer elm(loopbackAddress(35), 2301);
  LoopbackServer front(loopbackAddress(35), 12301);
  elm.start(elmSession(elm, script));
  front.start(textTransportSession(front, [](int, const std::string&) {
    return textTransportAnswer("<a/>");
  }));
  std::string response;
  EXPECT_EQ(send(xmlRequest(loopbackAddress(35) + ":2301", "u", "p"), response),
            0);
  EXPECT_EQ(response, "<a/>");
  EXPECT_EQ(elm.requests().size(), 2u);  // two attempts at the key
  ASSERT_EQ(front.requests().size(), 1u);
  EXPECT_NE(
      front.requests()[0].find("\nHost:" + loopbackAddress(35) + ":12301\n"),
      std::string::npos);
  EXPECT_EQ(clock.pauses, std::vector<uint32_t>{500});
}

TEST_F(FrontLayer, BothPathsFailingAfter2301Gives105) {
  ElmScript script;
  script.giveKey = false;
  LoopbackServer elm(loopbackAddress(36), 2301);
  elm.start(elmSession(elm, script));
  EMClientAPITNGSetDebugMode(2, nullptr);
  std::string response;
  EXPECT_EQ(send(xmlRequest(loopbackAddress(36) + ":2301", "u", "p"), response),
            105);
  EXPECT_EQ(response, "<null>");
  EXPECT_NE(readFile("EMClientAPIDebug.txt").find(" ** 2301 and 12301 failed."),
            std::string::npos);
}

TEST_F(FrontLayer, RetriesBusyAnswersSixTimesWhenTheCallerPasses0) {
  LoopbackServer server(loopbackAddress(37), 12301);
  server.start(textTransportSession(
      server, [](int, const std::string&) { return statusAnswer(18034); }));
  std::string response;
  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(37) + ":12301", "u", "p"), response), 0);
  EXPECT_EQ(server.requests().size(), 7u);
  EXPECT_EQ(clock.pauses, std::vector<uint32_t>(6, 1000));
  EXPECT_NE(response.find("18034"), std::string::npos);
  // Every retry sends the same request again.
  EXPECT_EQ(server.requests()[6], server.requests()[0]);
}

TEST_F(FrontLayer, OtherStatusesAreRetriedOnlyWhenTheCallerCounts) {
  LoopbackServer server(loopbackAddress(38), 12301);
  server.start(textTransportSession(server, [](int index, const std::string&) {
    return index < 2 ? statusAnswer(18018) : statusAnswer(0);
  }));
  std::string response;
  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(38) + ":12301", "u", "p"), response), 0);
  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_TRUE(clock.pauses.empty());

  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(38) + ":12301", "u", "p"), response, 3),
      0);
  EXPECT_EQ(server.requests().size(), 3u);
  EXPECT_EQ(clock.pauses, std::vector<uint32_t>{5000});
  EXPECT_NE(response.find("<statuscode>0<"), std::string::npos);
}

TEST_F(FrontLayer, AnswerWithoutPayloadGivesMinusOne) {
  LoopbackServer server(loopbackAddress(39), 12301);
  server.start(textTransportSession(server, [](int, const std::string&) {
    return emclient_test::httpAnswer("<?xml version=\"1.0\"?><fault/>");
  }));
  std::string response;
  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(39) + ":12301", "u", "p"), response), -1);
  // The failed connection is discarded: the next request opens another.
  EXPECT_EQ(
      send(xmlRequest(loopbackAddress(39) + ":12301", "u", "p"), response), -1);
  EXPECT_EQ(server.accepted(), 2);
}

TEST_F(FrontLayer, MissingArgumentsGive300) {
  char* out = reinterpret_cast<char*>(1);
  int length = 5;
  EXPECT_EQ(EMClientAPITNGSendRequest(nullptr, &out, &length, 0), 300);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(EMClientAPITNGGetVersion(nullptr), 300);
  EMClientAPITNGVersionRecord record;
  EXPECT_EQ(EMClientAPITNGGetVersion(&record), 0);
  EXPECT_STREQ(record.version, "EMClientAPITNG Version 3.2.104");
  EXPECT_STREQ(record.buildDate, "Jun 22 2004");
}

}  // namespace
}  // namespace emclient
