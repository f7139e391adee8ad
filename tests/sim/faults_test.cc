// Faults injected by control request (the command line takes the same
// specifications): each one changes exactly the requests it should.
#include "sim/faults.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <cstring>

#include "sim_client.h"
#include "support/loopback.h"

namespace {

using simtest::Connection;
using simtest::RunningServer;
using simtest::Values;
using testing_support::loopbackAddress;

const std::string kList = simtest::V1Envelope("Get", "Element", {{"ID", ""}});

TEST(Faults, SpecificationsAreReadOrRefused) {
  const struct {
    const char* text;
    bool valid;
    sim::FaultKind kind;
    int count;
    int value;
  } cases[] = {
      {"busy", true, sim::FaultKind::kBusy, 1, 18034},
      {"busy:3:18018", true, sim::FaultKind::kBusy, 3, 18018},
      {"html:*", true, sim::FaultKind::kHtml, -1, 0},
      {"split:2:64", true, sim::FaultKind::kSplit, 2, 64},
      {"delay:1", true, sim::FaultKind::kDelay, 1, 200},
      {"no-session-key:2", true, sim::FaultKind::kNoSessionKey, 2, 0},
      {"garbage", true, sim::FaultKind::kGarbage, 1, 0},
      {"cut:2", true, sim::FaultKind::kCut, 2, 20},
      {"short:1:5", true, sim::FaultKind::kShort, 1, 5},
      {"huge:1", true, sim::FaultKind::kHuge, 1, 64},
      {"huge:1:128", true, sim::FaultKind::kHuge, 1, 128},
      {"huge:1:129", false, {}, 0, 0},
      {"deep:1:1000000", true, sim::FaultKind::kDeep, 1, 1000000},
      {"deep:1:1000001", false, {}, 0, 0},
      {"deep:*:100", true, sim::FaultKind::kDeep, -1, 100},
      {"stall", true, sim::FaultKind::kStall, 1, 0},
      {"trickle:2", true, sim::FaultKind::kTrickle, 2, 1000},
      {"unframed:*", true, sim::FaultKind::kUnframed, -1, 0},
      {"trickle:1:0", false, {}, 0, 0},
      {"odd-names:*", true, sim::FaultKind::kOddNames, -1, 0},
      {"cut:1:0", false, {}, 0, 0},
      {"deep:1:0", false, {}, 0, 0},
      {"busy:0", false, {}, 0, 0},
      {"busy:x", false, {}, 0, 0},
      {"split:1:0", false, {}, 0, 0},
      {"sleep:1", false, {}, 0, 0},
      {"busy:1:2:3", false, {}, 0, 0},
  };
  for (const auto& c : cases) {
    sim::FaultSpec spec;
    std::string error;
    ASSERT_EQ(sim::ParseFault(c.text, spec, error), c.valid) << c.text;
    if (!c.valid) continue;
    EXPECT_EQ(spec.kind, c.kind) << c.text;
    EXPECT_EQ(spec.count, c.count) << c.text;
    EXPECT_EQ(spec.value, c.value) << c.text;
  }
}

TEST(Faults, BusyStatusesForTheNextRequestsOnly) {
  RunningServer server(loopbackAddress(10));
  ASSERT_EQ(server.Control("POST", "/sim/fault", "busy:2:18018"), "ok\n");
  std::string first = server.Text(kList);
  EXPECT_EQ(Values(first, "MessageNum"), std::vector<std::string>{"18018"});
  EXPECT_FALSE(Values(first, "NotSuccessMsg").empty());
  std::string second = server.Text(
      simtest::V3Envelope("getproperties", {{"scellid", simtest::kProduction},
                                            {"objectid", "x"},
                                            {"objecttype", "virtualdisk"}}));
  EXPECT_EQ(Values(second, "statuscode"), std::vector<std::string>{"18018"});
  EXPECT_EQ(Values(server.Text(kList), "Name").size(), 3u);
}

TEST(Faults, HtmlPageEmptyAnswerAndUnauthorized) {
  RunningServer server(loopbackAddress(11));
  server.Control("POST", "/sim/fault", "html");
  EXPECT_EQ(server.Text(kList).rfind("<!DOCTYPE", 0), 0u);
  server.Control("POST", "/sim/fault", "empty");
  EXPECT_EQ(server.Text(kList), "");
  server.Control("POST", "/sim/fault", "unauthorized");
  Connection connection(server.address(), 12301);
  connection.Send(simtest::TextTransportRequest(server.address(), kList,
                                                "administrator", "admin"));
  EXPECT_NE(connection.ReadAnswer().find("Unauthorized"), std::string::npos);
  EXPECT_EQ(server.Control("GET", "/sim/faults"), "");
}

TEST(Faults, CloseWithoutAnsweringThenServeAgain) {
  RunningServer server(loopbackAddress(12));
  server.Control("POST", "/sim/fault", "close:1");
  Connection dropped(server.address(), 12301);
  dropped.Send(simtest::TextTransportRequest(server.address(), kList,
                                             "administrator", "admin"));
  EXPECT_EQ(dropped.ReadUntilClosed(), "");
  EXPECT_EQ(Values(server.Text(kList), "Name").size(), 3u);
}

// Answers spoiled on the wire: what arrives before the server closes.
TEST(Faults, GarbageCutAndShortAnswers) {
  RunningServer server(loopbackAddress(16));
  std::string request = simtest::TextTransportRequest(server.address(), kList,
                                                      "administrator", "admin");
  Connection whole(server.address(), 12301);
  whole.Send(request);
  std::string answer = whole.ReadAnswer();

  server.Control("POST", "/sim/fault", "garbage");
  Connection garbage(server.address(), 12301);
  garbage.Send(request);
  std::string junk = garbage.ReadSome();
  EXPECT_FALSE(junk.empty());
  EXPECT_EQ(junk.find("HTTP/"), std::string::npos);

  server.Control("POST", "/sim/fault", "cut:1:20");
  Connection cut(server.address(), 12301);
  cut.Send(request);
  EXPECT_EQ(cut.ReadUntilClosed(), answer.substr(0, 20));

  server.Control("POST", "/sim/fault", "short:1:10");
  Connection short_(server.address(), 12301);
  short_.Send(request);
  EXPECT_EQ(short_.ReadUntilClosed(), answer.substr(0, answer.size() - 10));
}

// Answers a client must bound or read to the close: header lines and then
// silence, a byte at a time, no length.
TEST(Faults, StalledTrickledAndUnframedAnswers) {
  RunningServer server(loopbackAddress(18));
  std::string request = simtest::TextTransportRequest(server.address(), kList,
                                                      "administrator", "admin");
  Connection whole(server.address(), 12301);
  whole.Send(request);
  std::string answer = whole.ReadAnswer();
  std::size_t bodyStart = answer.find("\r\n\r\n") + 4;

  server.Control("POST", "/sim/fault", "stall:1");
  {
    Connection stalled(server.address(), 12301);
    stalled.Send(request);
    EXPECT_EQ(stalled.ReadSome(), answer.substr(0, bodyStart));
    EXPECT_FALSE(stalled.ClosedByPeer(300));
  }
  // The client's close ends the stall; everyone else is served meanwhile.
  EXPECT_EQ(Values(server.Text(kList), "Name").size(), 3u);

  server.Control("POST", "/sim/fault", "trickle:1:1");
  Connection trickled(server.address(), 12301);
  trickled.Send(request);
  EXPECT_EQ(trickled.ReadSome().size(), 1u);
  EXPECT_NE(trickled.ReadAnswer().find("DR Site"), std::string::npos);

  server.Control("POST", "/sim/fault", "unframed:1");
  Connection unframed(server.address(), 12301);
  unframed.Send(request);
  std::string bare = unframed.ReadUntilClosed();
  EXPECT_EQ(bare.find("Content-Length"), std::string::npos);
  EXPECT_EQ(bare.substr(bare.find("\r\n\r\n") + 4), answer.substr(bodyStart));
}

TEST(Faults, HugeAndDeepPayloads) {
  RunningServer server(loopbackAddress(17));
  server.Control("POST", "/sim/fault", "huge:1:1");
  std::string huge = server.Text(kList);
  EXPECT_EQ(huge.find_first_not_of(' '), 1u << 20);
  EXPECT_EQ(Values(huge, "Name").size(), 3u);
  server.Control("POST", "/sim/fault", "deep:1:3");
  EXPECT_EQ(server.Text(kList),
            "<object><object><object></object></object></object>");
  // Built and escaped in time linear in the depth.
  server.Control("POST", "/sim/fault", "deep:1:100000");
  std::string deep = server.Text(kList);
  EXPECT_EQ(deep.size(), 100000u * 17);
  EXPECT_EQ(deep.rfind("<object></object>"), 100000u * 8 - 8);
}

// A size no test needs would take the simulator's memory: the control
// request is refused, and the simulator goes on as it was.
TEST(Faults, SizesPastTheLimitAreRefused) {
  RunningServer server(loopbackAddress(50));
  for (const char* spec : {"huge:1:2000000", "deep:1:2000000000"}) {
    SCOPED_TRACE(spec);
    Connection connection(server.address(), 12301);
    connection.Send(
        std::string("POST /sim/fault HTTP/1.1\r\nContent-Length: ") +
        std::to_string(std::strlen(spec)) + "\r\n\r\n" + spec);
    std::string answer = connection.ReadAnswer();
    EXPECT_EQ(answer.rfind("HTTP/1.1 400 Bad Request", 0), 0u) << answer;
    EXPECT_NE(answer.find("allows a value of at most "), std::string::npos);
  }
  EXPECT_EQ(server.Control("GET", "/sim/faults"), "");
  EXPECT_EQ(Values(server.Text(kList), "Name").size(), 3u);
}

TEST(Faults, OddNamesEndEveryNameOfTheNextAnswers) {
  RunningServer server(loopbackAddress(18));
  server.Control("POST", "/sim/fault", "odd-names:1");
  std::vector<std::string> odd = Values(server.Text(kList), "Name");
  ASSERT_EQ(odd.size(), 3u);
  EXPECT_EQ(odd[0], std::string("Production") + sim::kOddNameSuffix);
  std::vector<std::string> plain = Values(server.Text(kList), "Name");
  EXPECT_EQ(plain[0], "Production");
}

TEST(Faults, SplitAnswersArriveInSeveralPieces) {
  RunningServer server(loopbackAddress(13));
  server.Control("POST", "/sim/fault", "split:1:40");
  Connection connection(server.address(), 12301);
  connection.Send(simtest::TextTransportRequest(server.address(), kList,
                                                "administrator", "admin"));
  std::string first = connection.ReadSome();
  EXPECT_EQ(first.size(), 40u);
  // The rest by its length, however long the pieces take to come.
  connection.PutBack(first);
  EXPECT_EQ(Values(simtest::Payload(connection.ReadAnswer()), "Name").size(),
            3u);
}

TEST(Faults, DelayedAnswersComeLater) {
  RunningServer server(loopbackAddress(14));
  server.Control("POST", "/sim/fault", "delay:1:300");
  Connection connection(server.address(), 12301);
  connection.Send(simtest::TextTransportRequest(server.address(), kList,
                                                "administrator", "admin"));
  EXPECT_EQ(connection.ReadAnswer(50), "");  // not there yet
  EXPECT_NE(connection.ReadAnswer(5000).find("DR Site"), std::string::npos);
}

TEST(Faults, LoginPortFaults) {
  RunningServer server(loopbackAddress(15));
  server.Control("POST", "/sim/fault", "no-session-key:1");
  Connection page(server.address(), 2301);
  page.Send(std::string("Get /mrtlogin.htm HTTP/1.1\nContent-Length:0\n\n") +
            '\0');
  EXPECT_EQ(page.ReadUntilClosed().find("SessionKey"), std::string::npos);
  server.Control("POST", "/sim/fault", "unauthorized:1");
  EXPECT_TRUE(
      simtest::ElmLogin(server.address(), "administrator", "admin").empty());
  EXPECT_EQ(
      simtest::ElmLogin(server.address(), "administrator", "admin").size(),
      56u);
}

}  // namespace
