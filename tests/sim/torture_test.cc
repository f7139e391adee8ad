// Hostile clients: truncated requests, garbage, enormous lengths, slow
// senders and abrupt disconnects. The server answers or closes, keeps
// serving everyone else, and its state never changes by any of it.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "sim_client.h"
#include "support/loopback.h"

namespace {

using simtest::Connection;
using simtest::RunningServer;
using simtest::Values;
using testing_support::loopbackAddress;

const std::string kList = simtest::V1Envelope("Get", "Element", {{"ID", ""}});

sim::ServerOptions Impatient() {
  sim::ServerOptions options;
  options.requestTimeoutMs = 300;
  options.maxConnections = 16;
  return options;
}

// Connections dropped a moment ago count against the limit until their
// threads have seen the drop, so an answer may take a moment; on a busy
// machine, several seconds.
template <typename Ask>
std::string AnswerWhenServing(Ask ask) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    std::string answer = ask();
    if (!answer.empty()) return answer;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "";
}

std::string ListWhenServing(RunningServer& server) {
  return AnswerWhenServing([&] { return server.Text(kList); });
}

void ExpectStillServing(RunningServer& server, const std::string& stateBefore) {
  EXPECT_EQ(Values(ListWhenServing(server), "Name").size(), 3u);
  EXPECT_EQ(
      AnswerWhenServing([&] { return server.Control("GET", "/sim/state"); }),
      stateBefore);
}

TEST(Torture, UnreadableRequestsAreRefusedAndClosed) {
  RunningServer server(loopbackAddress(20), Impatient());
  std::string state = server.Control("GET", "/sim/state");
  const struct {
    const char* what;
    std::string bytes;
    const char* status;
  } cases[] = {
      {"garbage bytes",
       std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\n\n", 13),
       "400"},
      {"a request line without a version", "HELLO\n\n", "400"},
      {"enormous Content-Length",
       "POST /zorbridge HTTP/1.1\nContent-Length: 999999999\n\n", "413"},
      {"endless header block",
       "POST /zorbridge HTTP/1.1\nX: " + std::string(40000, 'x'), "413"},
      {"negative length", "POST /zorbridge HTTP/1.1\nContent-Length: -5\n\n",
       "400"},
  };
  for (const auto& c : cases) {
    Connection connection(server.address(), 12301);
    connection.Send(c.bytes);
    std::string answer = connection.ReadUntilClosed(3000);
    EXPECT_NE(answer.find(c.status), std::string::npos)
        << c.what << ": " << answer;
  }
  // A transport that is well framed but carries no operation.
  Connection connection(server.address(), 12301);
  connection.Send(simtest::TextTransportRequest(
      server.address(), "<SOAP:Envelope><m:Get>", "administrator", "admin"));
  std::string malformed = simtest::Payload(connection.ReadAnswer());
  EXPECT_EQ(Values(malformed, "MessageNum"), std::vector<std::string>{"5001"});
  ExpectStillServing(server, state);
}

TEST(Torture, SlowClientsAreServedOrTimedOut) {
  RunningServer server(loopbackAddress(21), Impatient());
  std::string state = server.Control("GET", "/sim/state");
  // A request trickling in within the time is answered.
  std::string request = simtest::TextTransportRequest(server.address(), kList,
                                                      "administrator", "admin");
  Connection slow(server.address(), 12301);
  size_t piece = request.size() / 10 + 1;
  for (size_t at = 0; at < request.size(); at += piece) {
    slow.Send(request.substr(at, piece));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(slow.ReadAnswer().find("DR Site"), std::string::npos);
  // One that stalls half way is told so and closed, without holding others.
  Connection stalled(server.address(), 12301);
  stalled.Send(request.substr(0, request.size() / 2));
  ExpectStillServing(server, state);
  EXPECT_NE(stalled.ReadUntilClosed(3000).find("408"), std::string::npos);
  // A body shorter than its Content-Length is never guessed at.
  Connection shortBody(server.address(), 12301);
  shortBody.Send(request.substr(0, request.size() - 10));
  EXPECT_EQ(shortBody.ReadUntilClosed(3000).find("200 OK"), std::string::npos);
}

TEST(Torture, AbruptDisconnectsLeaveNothingBehind) {
  RunningServer server(loopbackAddress(22), Impatient());
  std::string state = server.Control("GET", "/sim/state");
  std::string create = simtest::TextTransportRequest(
      server.address(),
      simtest::V1Envelope(
          "Create", "StorageClient",
          {{"ElementID", simtest::kProduction}, {"Name", "ghost"}}),
      "administrator", "admin");
  for (int i = 0; i < 20; ++i) {
    Connection connection(server.address(), i % 2 == 0 ? 12301 : 2301);
    connection.Send(
        create.substr(0, create.size() * static_cast<size_t>(i) / 20));
    connection.Abort();
  }
  ExpectStillServing(server, state);
  // A complete change whose client vanishes before the answer still happens
  // whole (or, if the reset came first, not at all): never half.
  {
    Connection connection(server.address(), 12301);
    connection.Send(create);
    connection.Abort();
  }
  std::string hosts = server.Text(
      simtest::V1Envelope("Get", "StorageClient",
                          {{"ElementID", simtest::kProduction}, {"ID", ""}}));
  size_t count = Values(hosts, "Name").size();
  EXPECT_TRUE(count == 3u || count == 4u) << hosts;
}

TEST(Torture, RandomBytesNeverHurtTheServer) {
  RunningServer server(loopbackAddress(23), Impatient());
  std::string state = server.Control("GET", "/sim/state");
  std::mt19937 random(12301);
  std::string valid = simtest::TextTransportRequest(server.address(), kList,
                                                    "administrator", "admin");
  for (int i = 0; i < 150; ++i) {
    std::string bytes = valid;
    // Mutate a valid request: flip, drop and insert bytes.
    for (int k = 0; k < 1 + i % 8; ++k) {
      size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<char>(random());
          break;
        case 1:
          bytes.erase(at, 1 + random() % 20);
          break;
        default:
          bytes.insert(
              at, std::string(1 + random() % 5, static_cast<char>(random())));
      }
    }
    Connection connection(server.address(), i % 3 == 0 ? 2301 : 12301);
    connection.Send(bytes);
    connection.ReadUntilClosed(i % 10 == 0 ? 1000 : 20);
  }
  ExpectStillServing(server, state);
}

// Connections that never send a byte hold their places only for the
// request timeout, not for the idle timeout of a kept connection.
TEST(Torture, SilentConnectionsAreClosedAfterTheRequestTimeout) {
  RunningServer server(loopbackAddress(25), Impatient());
  std::vector<std::unique_ptr<Connection>> silent;
  for (int i = 0; i < 16; ++i) {
    silent.push_back(std::make_unique<Connection>(server.address(), 12301));
  }
  for (auto& connection : silent) EXPECT_TRUE(connection->ClosedByPeer(3000));
  EXPECT_FALSE(Values(ListWhenServing(server), "Name").empty());
}

TEST(Torture, TooManyConnectionsAreTurnedAwayNotQueuedForever) {
  RunningServer server(loopbackAddress(24), Impatient());
  std::vector<std::unique_ptr<Connection>> idle;
  for (int i = 0; i < 20; ++i) {
    idle.push_back(std::make_unique<Connection>(server.address(), 12301));
  }
  // Past the limit the server closes new connections at once.
  EXPECT_TRUE(idle.back()->ClosedByPeer(2000));
  idle.clear();
  // Once they are gone it serves again.
  EXPECT_FALSE(Values(ListWhenServing(server), "Name").empty());
}

}  // namespace
