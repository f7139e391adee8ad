// The real server on loopback: both ports, both dialects, keep-alive,
// credentials, control requests and clients served side by side.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sim_client.h"
#include "support/loopback.h"

namespace {

using simtest::Connection;
using simtest::RunningServer;
using simtest::Values;
using testing_support::loopbackAddress;

const std::string kListSystems =
    simtest::V1Envelope("Get", "Element", {{"ID", ""}});

TEST(Server, KeepsOneTextConnectionForManyRequests) {
  RunningServer server(loopbackAddress(1));
  Connection connection(server.address(), 12301);
  ASSERT_TRUE(connection.ok());
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(connection.Send(simtest::TextTransportRequest(
        server.address(), kListSystems, "administrator", "admin")));
    std::string answer = connection.ReadAnswer();
    ASSERT_NE(answer.find("HTTP/1.1 200 OK"), std::string::npos) << answer;
    std::string payload = simtest::Payload(answer);
    EXPECT_EQ(Values(payload, "Name"),
              (std::vector<std::string>{"Production", "5000-1FE1-5000-B2C0",
                                        "DR Site"}));
    // The body the client measures starts at the XML declaration.
    EXPECT_NE(answer.find("\r\n\r\n<?xml version"), std::string::npos);
  }
}

TEST(Server, TextPortRefusesWrongCredentialsAndStaysOpen) {
  RunningServer server(loopbackAddress(2));
  Connection connection(server.address(), 12301);
  connection.Send(simtest::TextTransportRequest(server.address(), kListSystems,
                                                "administrator", "wrong"));
  std::string refused = connection.ReadAnswer();
  EXPECT_NE(refused.find("401 Unauthorized"), std::string::npos);
  EXPECT_EQ(refused.find("<?xml version"), std::string::npos);
  connection.Send("POST /zorbridge HTTP/1.1\nContent-Length:0\n\n");
  EXPECT_NE(connection.ReadAnswer().find("401 Unauthorized"),
            std::string::npos);
  connection.Send(simtest::TextTransportRequest(server.address(), kListSystems,
                                                "administrator", "admin"));
  EXPECT_NE(
      simtest::Payload(connection.ReadAnswer()).find("<Name>Production</Name>"),
      std::string::npos);
}

// Base64 credentials of exactly 76 characters end in CR LF and a bare line
// feed; longer ones go on after the CR LF.
TEST(Server, AcceptsCredentialsBrokenAcrossLines) {
  RunningServer server(loopbackAddress(8));
  std::string state = server.Control("GET", "/sim/state");
  std::string exact(24, 'u');  // 24 + 1 + 32 bytes: 76 characters of Base64
  std::string longer(30, 'w');
  state.replace(state.find("\"users\": ["), 10,
                "\"users\": [{\"name\": \"" + exact +
                    "\", \"password\": \"p1\"}, {\"name\": \"" + longer +
                    "\", \"password\": \"p2\"},");
  ASSERT_EQ(server.Control("POST", "/sim/state", state), "ok\n");
  EXPECT_EQ(Values(server.Text(kListSystems, exact, "p1"), "Name").size(), 3u);
  EXPECT_EQ(Values(server.Text(kListSystems, longer, "p2"), "Name").size(), 3u);
  EXPECT_TRUE(Values(server.Text(kListSystems, longer, "p1"), "Name").empty());
}

TEST(Server, LoginPortHandshakeThenRequestsOfBothDialects) {
  RunningServer server(loopbackAddress(3));
  std::string cookie =
      simtest::ElmLogin(server.address(), "operator", "operator");
  ASSERT_EQ(cookie.size(), 56u);
  std::string list = simtest::ElmRequest(
      server.address(), cookie, "/ResEltMrtFusion/Tallow", kListSystems);
  EXPECT_EQ(list.rfind("HTTP/1.0 200 OK", 0), 0u);
  EXPECT_NE(list.find("<Name>DR Site</Name>"), std::string::npos);
  // No "<" in the header lines: the shell skips them as text.
  EXPECT_EQ(list.substr(0, list.find("\r\n\r\n")).find('<'), std::string::npos);
  std::string info =
      simtest::ElmRequest(server.address(), cookie, "/ResEltMrtFusion/XMLIntr",
                          simtest::V3Envelope("getsysteminfo", {}, "3.00"));
  EXPECT_EQ(Values(info, "emversion"), std::vector<std::string>{"3.2"});
  EXPECT_EQ(Values(info, "version"), std::vector<std::string>{"3.00"});
  // A session the server does not know asks the client to log in again.
  std::string stale =
      simtest::ElmRequest(server.address(), std::string(56, 'A'),
                          "/ResEltMrtFusion/Tallow", kListSystems);
  EXPECT_EQ(Values(stale, "MessageNum"), std::vector<std::string>{"18034"});
  EXPECT_TRUE(simtest::ElmLogin(server.address(), "operator", "bad").empty());
}

// What a standard HTTP client sends: no body and no length on a GET, no
// zero byte after it.
TEST(Server, StandardClientsAreAnsweredAtOnce) {
  RunningServer server(loopbackAddress(180));
  const struct {
    int port;
    std::string request;
    const char* answerHolds;
  } cases[] = {
      {2301, "GET /mrtlogin.htm HTTP/1.1\r\nHost: h\r\nAccept: */*\r\n\r\n",
       "SessionKey"},
      {2301, "GET /sim/faults HTTP/1.1\r\nHost: h\r\n\r\n", "200 OK"},
      {12301,
       "POST /sim/fault HTTP/1.1\r\nHost: h\r\nContent-Length: 4\r\n"
       "Connection: close\r\n\r\nbusy",
       "ok"},
      {12301, "GET /sim/faults HTTP/1.1\r\nConnection: close\r\n\r\n",
       "busy:1:18034"},
  };
  for (const auto& c : cases) {
    Connection connection(server.address(), c.port);
    ASSERT_TRUE(connection.Send(c.request));
    std::string answer = connection.ReadUntilClosed();
    EXPECT_NE(answer.find(c.answerHolds), std::string::npos)
        << c.request << "\nanswered: " << answer;
  }
}

TEST(Server, AnswersTheInterfaceDialectOnTheTextPort) {
  RunningServer server(loopbackAddress(4));
  std::string disks = server.Text(simtest::V3Envelope(
      "getobjectlist",
      {{"scellid", simtest::kProduction}, {"objecttype", "disk"}}, "3.00"));
  EXPECT_EQ(Values(disks, "objectid").size(), 36u);
  EXPECT_EQ(Values(disks, "objectname").at(0), "Disk 001");
  EXPECT_EQ(Values(disks, "objecthexuid").size(), 36u);
  std::string ids;
  std::vector<std::pair<std::string, std::string>> start{
      {"scellid", simtest::kProduction}};
  for (int i = 0; i < 2; ++i)
    start.push_back({"diskid", Values(disks, "objectid")[i]});
  EXPECT_EQ(Values(server.Text(simtest::V3Envelope("startdiskexercise", start)),
                   "statuscode"),
            std::vector<std::string>{"0"});
  std::string again =
      server.Text(simtest::V3Envelope("startdiskexercise", start));
  EXPECT_NE(Values(again, "statuscode").at(0), "0");
  EXPECT_FALSE(Values(again, "statusdescription").at(0).empty());
  std::string summary = server.Text(simtest::V3Envelope(
      "diskexercisesummary", {{"scellid", simtest::kProduction}}));
  EXPECT_NE(
      Values(summary, "diskexercisesummary").at(0).find("Disk 001, Disk 002"),
      std::string::npos);
  EXPECT_EQ(
      Values(server.Text(simtest::V3Envelope(
                 "stopdiskexercise", {{"scellid", simtest::kProduction}})),
             "statuscode"),
      std::vector<std::string>{"0"});
  std::string discover =
      server.Text(simtest::V3Envelope("discoverstoragecell", {}));
  EXPECT_EQ(Values(discover, "statuscode"), std::vector<std::string>{"0"});
}

TEST(Server, ServesClientsSideBySideWithoutMixingThem) {
  RunningServer server(loopbackAddress(5));
  std::vector<std::thread> clients;
  for (int c = 0; c < 4; ++c) {
    clients.emplace_back([&server, c] {
      Connection connection(server.address(), 12301);
      for (int i = 0; i < 10; ++i) {
        std::string name = "h" + std::to_string(c) + "_" + std::to_string(i);
        connection.Send(simtest::TextTransportRequest(
            server.address(),
            simtest::V1Envelope(
                "Create", "StorageClient",
                {{"ElementID", simtest::kProduction}, {"Name", name}}),
            "administrator", "admin"));
        std::string payload = simtest::Payload(connection.ReadAnswer());
        EXPECT_NE(
            payload.find("<SuccessMsg>Host \\Hosts\\" + name + " created"),
            std::string::npos)
            << payload;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  std::string hosts = server.Text(
      simtest::V1Envelope("Get", "StorageClient",
                          {{"ElementID", simtest::kProduction}, {"ID", ""}}));
  EXPECT_EQ(Values(hosts, "Name").size(), 3u + 40u);
}

TEST(Server, ControlRequestsReadAndReplaceTheState) {
  RunningServer server(loopbackAddress(6));
  std::string state = server.Control("GET", "/sim/state");
  ASSERT_NE(state.find("\"Production\""), std::string::npos);
  std::string renamed = state;
  for (size_t at = renamed.find("\"Production\""); at != std::string::npos;
       at = renamed.find("\"Production\"", at)) {
    renamed.replace(at, 12, "\"Primary\"");
  }
  EXPECT_EQ(server.Control("POST", "/sim/state", renamed), "ok\n");
  EXPECT_EQ(Values(server.Text(kListSystems), "Name").at(0), "Primary");
  EXPECT_NE(server.Control("POST", "/sim/state", "{broken")
                .find("line 1, column 2: "),
            std::string::npos);
  EXPECT_EQ(Values(server.Text(kListSystems), "Name").at(0), "Primary");
  EXPECT_EQ(server.Control("GET", "/sim/nothing"), "unknown control request\n");
}

// Anyone on the machine may send control requests: the passwords stay out
// of the state they read unless the simulator was started to show them,
// and a state given back without them keeps them.
TEST(Server, TheStateReadByAControlRequestHoldsNoPasswords) {
  RunningServer server(loopbackAddress(51));
  std::string state = server.Control("GET", "/sim/state");
  ASSERT_NE(state.find("\"administrator\""), std::string::npos);
  EXPECT_EQ(state.find("\"password\""), std::string::npos);
  ASSERT_EQ(server.Control("POST", "/sim/state", state), "ok\n");
  EXPECT_EQ(Values(server.Text(kListSystems), "Name").size(), 3u);
  // A user the simulator does not know yet needs one.
  std::string stranger = state;
  stranger.replace(stranger.find("\"users\": ["), 10,
                   "\"users\": [{\"name\": \"stranger\"},");
  EXPECT_NE(server.Control("POST", "/sim/state", stranger)
                .find("manager.users[0]: missing \"password\""),
            std::string::npos);

  server.service().ShowSecretsToControl(true);
  EXPECT_NE(server.Control("GET", "/sim/state")
                .find("\"name\": \"administrator\",\n        \"password\": "
                      "\"admin\""),
            std::string::npos);
}

// Clients that keep their connections open between requests cannot lock a
// newcomer out: the connection that has waited longest makes room.
TEST(Server, AFullTableClosesTheLongestIdleConnectionForANewOne) {
  sim::ServerOptions options;
  options.maxConnections = 2;
  RunningServer server(loopbackAddress(52), options);
  const std::string request = simtest::TextTransportRequest(
      server.address(), kListSystems, "administrator", "admin");
  Connection oldest(server.address(), 12301);
  Connection younger(server.address(), 12301);
  for (Connection* kept : {&oldest, &younger}) {
    ASSERT_TRUE(kept->Send(request));
    ASSERT_NE(kept->ReadAnswer().find("200 OK"), std::string::npos);
    // Each is seen waiting for its next request before the next comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Connection newcomer(server.address(), 12301);
  ASSERT_TRUE(newcomer.Send(request));
  EXPECT_NE(newcomer.ReadAnswer().find("200 OK"), std::string::npos);
  EXPECT_TRUE(oldest.ClosedByPeer(2000));
  ASSERT_TRUE(younger.Send(request));
  EXPECT_NE(younger.ReadAnswer().find("200 OK"), std::string::npos);
}

TEST(Server, APortCanBeSwitchedOff) {
  sim::ServerOptions options;
  options.elmPort = -1;
  RunningServer server(loopbackAddress(7), options);
  EXPECT_FALSE(Connection(server.address(), 2301).ok());
  EXPECT_FALSE(Values(server.Text(kListSystems), "Name").empty());
}

}  // namespace
