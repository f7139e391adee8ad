// Reading answers of the 12301 path off a real socket.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "client/connection.h"
#include "client/emclient_api.h"
#include "client/front_exchange.h"
#include "client/settings.h"
#include "client_fixture.h"
#include "loopback_server.h"
#include "support/loopback.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;
using emclient_test::httpAnswer;
using emclient_test::LoopbackServer;
using emclient_test::writeAll;
using testing_support::loopbackAddress;

void pauseServer() {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

class Receive : public ClientTest {
 protected:
  // Serves one connection by writing `pieces` one after another, then
  // waits until the client closes.
  int receiveFrom(const std::string& address, std::vector<std::string> pieces,
                  std::string& answer, bool closeAfter = false) {
    LoopbackServer server(address, 12301);
    EXPECT_TRUE(server.listening());
    server.start([&](int descriptor) {
      for (const std::string& piece : pieces) {
        writeAll(descriptor, piece);
        pauseServer();
      }
      if (!closeAfter) {
        char byte;
        while (recv(descriptor, &byte, 1, 0) > 0) {
        }
      }
    });
    ClientConnection connection(Layer::kFront);
    EXPECT_EQ(connection.open(address, "12301", true), 0);
    int result = receiveAnswer(connection, answer);
    connection.close();
    return result;
  }
};

TEST_F(Receive, AnswerInSeveralWritesIsReadWhole) {
  std::string body = "<?xml version=\"1.0\"?><a>" + std::string(12000, 'x') +
                     "</a>";  // more than two reads of 5120 bytes
  std::string whole = httpAnswer(body);
  std::size_t headerEnd = whole.find("\r\n\r\n") + 4;
  std::string answer;
  EXPECT_EQ(receiveFrom(loopbackAddress(20),
                        {whole.substr(0, headerEnd), whole.substr(headerEnd, 7),
                         whole.substr(headerEnd + 7, 6000),
                         whole.substr(headerEnd + 6007)},
                        answer),
            0);
  EXPECT_EQ(answer.size(), whole.size());
  EXPECT_TRUE(answer == whole);
}

TEST_F(Receive, BlankOrByteOrderMarkBeforeTheXmlIsCounted) {
  std::string whole = httpAnswer("\xEF\xBB\xBF <?xml version=\"1.0\"?><a/>");
  std::string answer;
  EXPECT_EQ(receiveFrom(loopbackAddress(21),
                        {whole.substr(0, whole.size() - 3),
                         whole.substr(whole.size() - 3)},
                        answer),
            0);
  EXPECT_EQ(answer, whole);
}

// The length's name may come in any case, after headers with colons in
// their values; the answer ends where it says, though the server keeps the
// connection open.
TEST_F(Receive, TheLengthIsFoundWhateverTheCaseOfItsName) {
  const std::string body = "<?xml version=\"1.0\"?><a>payload</a>";
  for (const char* name : {"Content-Length", "CONTENT-LENGTH", "content-length",
                           "cOnTeNt-LeNgTh"}) {
    SCOPED_TRACE(name);
    std::string headers =
        "HTTP/1.1 200 OK\r\nDate: Thu, 10 Dec 2026 10:20:30 GMT\r\n" +
        std::string(name) + ": " + std::to_string(body.size()) + "\r\n\r\n";
    std::string answer;
    EXPECT_EQ(
        receiveFrom(loopbackAddress(40),
                    {headers + body.substr(0, 10), body.substr(10)}, answer),
        0);
    EXPECT_EQ(answer, headers + body);
  }
}

// Without a length only the server's close ends the body, however many
// writes it comes in.
TEST_F(Receive, BodyWithoutLengthIsReadUntilTheServerCloses) {
  std::string answer;
  EXPECT_EQ(receiveFrom(loopbackAddress(19),
                        {"HTTP/1.1 200 OK\r\n\r\n", "<?xml version=\"1.0\"?>",
                         "<a>", "</a>"},
                        answer, true),
            0);
  EXPECT_EQ(answer, "HTTP/1.1 200 OK\r\n\r\n<?xml version=\"1.0\"?><a></a>");
  // Closed after the headers: judged as it is.
  EXPECT_EQ(receiveFrom(loopbackAddress(19),
                        {"HTTP/1.1 401 Unauthorized\r\n\r\n"}, answer, true),
            202);
}

TEST_F(Receive, AnswersWithoutXmlAreRefused) {
  std::string answer;
  EXPECT_EQ(
      receiveFrom(loopbackAddress(22),
                  {"HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n"},
                  answer),
      202);
  EXPECT_EQ(receiveFrom(loopbackAddress(23),
                        {httpAnswer("<html>no soap</html>")}, answer),
            1000);
}

// Bytes that cannot begin an answer are judged at once while the server
// keeps the connection open: the shell waits forever for the rest.
TEST_F(Receive, GarbageIsRefusedWithoutWaitingForMore) {
  std::string answer;
  for (const std::string& garbage :
       {std::string("\x16\x03\x01\x02\x00\x01junk", 10),
        std::string("HTTX/1.1 200 OK\r\n"), std::string("<html>")}) {
    EXPECT_EQ(receiveFrom(loopbackAddress(17), {garbage}, answer), 1000)
        << testing::PrintToString(garbage);
  }
  // A status line arriving in pieces is still awaited.
  EXPECT_EQ(receiveFrom(
                loopbackAddress(17),
                {"HT", "TP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n"},
                answer),
            202);
}

TEST_F(Receive, ServerClosingEarlyIsAReceiveError) {
  std::string answer;
  EXPECT_EQ(receiveFrom(loopbackAddress(24), {}, answer, true), 109);
  std::string whole = httpAnswer("<?xml version=\"1.0\"?><a>cut</a>");
  EXPECT_EQ(receiveFrom(loopbackAddress(25),
                        {whole.substr(0, whole.size() - 4)}, answer, true),
            109);
}

TEST_F(Receive, EnormousAnnouncedBodyIsAReceiveError) {
  std::string answer;
  EXPECT_EQ(receiveFrom(loopbackAddress(26),
                        {"HTTP/1.1 200 OK\r\nContent-Length: 900000000\r\n\r\n"
                         "<?xml version=\"1.0\"?>"},
                        answer),
            109);
}

TEST_F(Receive, EndlessAnswerStopsAtTheReceiveLimit) {
  LoopbackServer server(loopbackAddress(18), 12301);
  server.start([](int descriptor) {
    // Header lines that never end.
    writeAll(descriptor, "HTTP/1.1 200 OK\r\n");
    const std::string block(65536, 'x');
    while (send(descriptor, block.data(), block.size(), MSG_NOSIGNAL) > 0) {
    }
  });
  ClientConnection connection(Layer::kFront);
  ASSERT_EQ(connection.open(loopbackAddress(18), "12301", true), 0);
  std::string answer;
  EXPECT_EQ(receiveAnswer(connection, answer), 109);
  EXPECT_LE(answer.size(), kReceiveLimit);
}

std::atomic<int> waits{0};
std::atomic<bool> answerNow{false};

TEST_F(Receive, SilentServerTimesOutAfter120Waits) {
  waits = 0;
  platform::installReadableWaiter([](int, uint32_t) { ++waits; });
  std::string answer;
  EXPECT_EQ(receiveFrom(loopbackAddress(27), {}, answer), 111);
  EXPECT_EQ(waits, 120);
}

TEST_F(Receive, WaitForeverOutlastsTheTimeout) {
  waits = 0;
  answerNow = false;
  EMClientAPITNGSetWaitForever(1);
  platform::installReadableWaiter([](int descriptor, uint32_t) {
    if (++waits == 500) {
      answerNow = true;
      pollfd entry{descriptor, POLLIN, 0};
      poll(&entry, 1, 5000);
    }
  });
  // Made before the server, so it outlives the server's thread.
  std::string whole = httpAnswer("<?xml version=\"1.0\"?><late/>");
  LoopbackServer server(loopbackAddress(28), 12301);
  server.start([&](int descriptor) {
    while (!answerNow) pauseServer();
    writeAll(descriptor, whole);
  });
  ClientConnection connection(Layer::kFront);
  ASSERT_EQ(connection.open(loopbackAddress(28), "12301", true), 0);
  std::string answer;
  EXPECT_EQ(receiveAnswer(connection, answer), 0);
  EXPECT_EQ(answer, whole);
  EXPECT_GE(waits, 500);
}

TEST_F(Receive, OpenFailuresHaveTheirCodes) {
  ClientConnection connection(Layer::kFront);
  EXPECT_EQ(connection.open(loopbackAddress(29), "12301", true), 105);
  EXPECT_EQ(connection.open("", "12301", true), 104);
  uint16_t port = 0;
  if (!platform::lookUpServicePort("wbem", port)) {
    EXPECT_EQ(connection.open(loopbackAddress(29), "wbem", true), 103);
  }
  std::string answer;
  std::size_t received = 0;
  std::size_t count = 0;
  EXPECT_EQ(connection.send("x"), 107);
  EXPECT_EQ(connection.receiveChunk(answer, received, count), 107);
}

}  // namespace
}  // namespace emclient
