// The client side of TLS on a real socket: what ends a handshake that
// cannot succeed, before any certificate is seen.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>

#include "client/connection.h"
#include "client/emclient_api.h"
#include "client/settings.h"
#include "client_fixture.h"
#include "loopback_server.h"
#include "platform/tls.h"
#include "support/loopback.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;
using emclient_test::LoopbackServer;
using testing_support::loopbackAddress;

class TlsConnection : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    platform::useTlsLibrary(PELK_TLS_LIBRARY);
    transport().tls = true;
    transport().settings.verifyPeer = false;
  }
};

// Answers may be waited for forever; a handshake is bounded all the same,
// by the connection's wait for the socket.
TEST_F(TlsConnection, AServerSilentAfterTheHelloIsGivenUp) {
  settings(Layer::kFront).waitForever = 1;
  settings(Layer::kFront).socketWaitSeconds = 1;
  LoopbackServer server(loopbackAddress(80), 12301);
  ASSERT_TRUE(server.listening());
  server.start([](int descriptor) {
    char sink[4096];
    while (recv(descriptor, sink, sizeof sink, 0) > 0) {
    }
  });
  ClientConnection connection(Layer::kFront);
  EXPECT_EQ(EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR,
            connection.open(loopbackAddress(80), "12301", true));
  EXPECT_FALSE(connection.connected());
}

TEST_F(TlsConnection, AServerClosingDuringTheHandshakeFailsIt) {
  LoopbackServer server(loopbackAddress(81), 12301);
  ASSERT_TRUE(server.listening());
  server.start([](int descriptor) {
    char hello[4096];
    recv(descriptor, hello, sizeof hello, 0);
  });
  ClientConnection connection(Layer::kFront);
  EXPECT_EQ(EMCLIENTAPITLS_HANDSHAKE_ERROR,
            connection.open(loopbackAddress(81), "12301", true));
  char text[2048];
  ASSERT_EQ(0, EMClientAPITNGGetErrorText(EMCLIENTAPITLS_HANDSHAKE_ERROR, text,
                                          sizeof text));
  EXPECT_STREQ(("EMClientAPITNG error ->\nEMCLIENTAPITLS_HANDSHAKE_ERROR : The "
                "TLS handshake with the server failed.\nManager https://" +
                loopbackAddress(81) +
                ":12301: the server closed the connection during the "
                "handshake\n")
                   .c_str(),
               text);
}

}  // namespace
}  // namespace emclient
