// The bound of a request's whole exchange, and interruptions: a server
// that stalls, trickles, keeps asking for retries or never accepts holds a
// request no longer than its bound, and an interruption ends it at once
// without anything more being sent.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "client/emclient_api.h"
#include "client_fixture.h"
#include "loopback_server.h"
#include "platform/interruption.h"
#include "platform/sockets.h"
#include "support/loopback.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;
using emclient_test::LoopbackServer;
using emclient_test::readHttpRequest;
using emclient_test::RecordingClock;
using emclient_test::textTransportAnswer;
using emclient_test::textTransportSession;
using emclient_test::writeAll;
using emclient_test::xmlRequest;
using testing_support::loopbackAddress;

const char kHeadersOnly[] = "HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n";

// The fixture's clock records pauses; this makes every socket wait count
// against it too, really waiting only a little for what the server sends.
RecordingClock* waitedClock = nullptr;
void waitAndCount(int descriptor, uint32_t milliseconds) {
  pollfd entry{descriptor, POLLIN, 0};
  poll(&entry, 1, 20);
  waitedClock->ticks += milliseconds;
}

class Deadline : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    waitedClock = &clock;
    platform::installReadableWaiter(waitAndCount);
    // As the shell runs it: no countdown of its own.
    EMClientAPITNGSetWaitForever(1);
  }
  void TearDown() override {
    platform::installReadableWaiter(nullptr);
    platform::clearInterruption();
    ClientTest::TearDown();
  }

  int send(const std::string& address) {
    char* out = nullptr;
    int length = 0;
    int result = EMClientAPITNGSendRequest(
        xmlRequest(address + ":12301", "admin", "secret").c_str(), &out,
        &length, 0);
    std::free(out);
    return result;
  }
};

TEST_F(Deadline, AStalledOrTricklingAnswerFailsWhenTheBoundPasses) {
  const struct {
    std::string address;
    bool trickle;
  } cases[] = {{loopbackAddress(60), false}, {loopbackAddress(61), true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    LoopbackServer server(c.address, 12301);
    server.start([&](int descriptor) {
      server.record(readHttpRequest(descriptor));
      writeAll(descriptor, kHeadersOnly);
      // A byte now and then, never the whole body.
      char byte = 'x';
      while (c.trickle && ::send(descriptor, &byte, 1, MSG_NOSIGNAL) == 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      while (recv(descriptor, &byte, 1, 0) > 0) {
      }
    });
    EXPECT_EQ(0, EMClientAPITNGSetRequestTimeout(2000));
    uint32_t started = clock.ticks;
    EXPECT_EQ(EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR, send(c.address));
    EXPECT_EQ(2000u, clock.ticks - started);
    // The bound failed the request; it is not sent again.
    EXPECT_EQ(1u, server.requests().size());
    EXPECT_EQ(2000, EMClientAPITNGSetRequestTimeout(0));
  }
}

// 18034 asks the library itself to send again, up to six times, after a
// pause: the pauses and the answers count against one bound.
TEST_F(Deadline, TheLibrarysRetriesDoNotRestartTheBound) {
  LoopbackServer server(loopbackAddress(62), 12301);
  server.start(textTransportSession(server, [](int, const std::string&) {
    return textTransportAnswer(
        "<version>3.2</version><statuscode>18034</statuscode>");
  }));
  EMClientAPITNGSetRequestTimeout(5000);
  uint32_t started = clock.ticks;
  EXPECT_EQ(EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR, send(loopbackAddress(62)));
  EXPECT_EQ(5000u, clock.ticks - started);
  // Fewer than the first sending and its six retries.
  EXPECT_LT(server.requests().size(), 7u);
}

// A listener whose queue is full leaves a new connection unanswered.
class Unanswering {
 public:
  explicit Unanswering(const std::string& address) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(12301);
    inet_pton(AF_INET, address.c_str(), &local.sin_addr);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    listen(listener_, 0);
    filler_ = socket(AF_INET, SOCK_STREAM, 0);
    connect(filler_, reinterpret_cast<sockaddr*>(&local), sizeof local);
  }
  ~Unanswering() {
    close(filler_);
    close(listener_);
  }

 private:
  int listener_;
  int filler_;
};

// The clock is real here: a connect waits in the system, not in a seam.
TEST_F(Deadline, AConnectionNeverAcceptedEndsAtTheBoundOrAnInterruption) {
  platform::installClock(nullptr);
  Unanswering server(loopbackAddress(63));
  EMClientAPITNGSetRequestTimeout(300);
  EXPECT_EQ(EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR, send(loopbackAddress(63)));

  EMClientAPITNGSetRequestTimeout(0);
  platform::catchInterruptions(false);
  std::thread sender([] {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(getpid(), SIGTERM);
  });
  EXPECT_EQ(EMCLIENTAPISOCKET_CONNECT_ERROR, send(loopbackAddress(63)));
  sender.join();
}

// Once an interruption is recorded, a stalled request ends and no request
// is sent again: not on the kept connection, not on a new one.
LoopbackServer* stalling = nullptr;

TEST_F(Deadline, AfterAnInterruptionNothingMoreIsSent) {
  LoopbackServer server(loopbackAddress(64), 12301);
  server.start(textTransportSession(
      server, [](int, const std::string&) { return kHeadersOnly; }));
  stalling = &server;
  platform::catchInterruptions(false);
  // The signal comes while the client waits for the rest of the answer.
  platform::installReadableWaiter([](int, uint32_t) {
    while (stalling->requests().empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    raise(SIGTERM);
  });
  EXPECT_EQ(EMCLIENTAPISOCKET_RECEIVE_ERROR, send(loopbackAddress(64)));
  EXPECT_EQ(EMCLIENTAPISOCKET_CONNECT_ERROR, send(loopbackAddress(64)));
  // Time for a connection or a request to arrive, if one had been made.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(1u, server.requests().size());
  EXPECT_EQ(1, server.accepted());
}

}  // namespace
}  // namespace emclient
