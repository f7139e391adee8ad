// pelk-sim serving TLS, to a client of the test's own: records that arrive
// together are all served, however many the library took in one read.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "sim_client.h"
#include "support/loopback.h"
#include "support/run_program.h"

namespace {

using testing_support::loopbackAddress;
using testing_support::ScratchDirectory;

const std::string kList = simtest::V1Envelope("Get", "Element", {{"ID", ""}});

// A throw-away certificate with its key, cert.pem and key.pem in `where`.
bool MakeCertificate(const ScratchDirectory& where) {
  testing_support::ProgramOptions options;
  options.arguments = {"req",
                       "-x509",
                       "-newkey",
                       "ec",
                       "-pkeyopt",
                       "ec_paramgen_curve:prime256v1",
                       "-nodes",
                       "-subj",
                       "/CN=sim",
                       "-days",
                       "1",
                       "-keyout",
                       where.path() + "/key.pem",
                       "-out",
                       where.path() + "/cert.pem"};
  return testing_support::runProgram("/usr/bin/openssl", options).exitStatus ==
         0;
}

int ConnectTo(const std::string& address, int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Whether `answer` holds its header lines and the body they announce.
bool Whole(const std::string& answer) {
  std::size_t end = answer.find("\r\n\r\n");
  std::size_t length = answer.find("Content-Length: ");
  if (end == std::string::npos || length > end) return false;
  return answer.size() - end - 4 >=
         std::stoul(answer.substr(length + sizeof "Content-Length: " - 1));
}

struct SslFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

// One request written as two TLS records that reach the server in one
// segment, right after the handshake: the server's first read takes both,
// and the second must be served without any more bytes coming.
TEST(SimTls, RecordsThatArriveTogetherAreAllServed) {
  ScratchDirectory files;
  ASSERT_TRUE(MakeCertificate(files)) << "openssl made no certificate";
  sim::ServerOptions options;
  options.tls = {files.path() + "/cert.pem", files.path() + "/key.pem", ""};
  // A request left waiting is answered 408 soon, not served.
  options.requestTimeoutMs = 2000;
  simtest::RunningServer server(loopbackAddress(60), options);

  std::unique_ptr<SSL_CTX, SslFree> context(SSL_CTX_new(TLS_client_method()));
  ASSERT_NE(nullptr, context);
  int fd = ConnectTo(server.address(), server.textPort());
  ASSERT_GE(fd, 0);
  std::unique_ptr<SSL, SslFree> ssl(SSL_new(context.get()));
  SSL_set_fd(ssl.get(), fd);
  ASSERT_EQ(1, SSL_connect(ssl.get()));

  // Both records are made in memory and sent with one write.
  BIO* records = BIO_new(BIO_s_mem());
  SSL_set0_wbio(ssl.get(), records);
  std::string request = simtest::TextTransportRequest(server.address(), kList,
                                                      "administrator", "admin");
  std::size_t half = request.size() / 2;
  ASSERT_GT(SSL_write(ssl.get(), request.data(), static_cast<int>(half)), 0);
  ASSERT_GT(SSL_write(ssl.get(), request.data() + half,
                      static_cast<int>(request.size() - half)),
            0);
  char* bytes = nullptr;
  long length = BIO_get_mem_data(records, &bytes);
  ASSERT_EQ(length, send(fd, bytes, static_cast<std::size_t>(length), 0));

  std::string answer;
  char chunk[16384];
  pollfd wait{fd, POLLIN, 0};
  while (!Whole(answer) &&
         (SSL_pending(ssl.get()) > 0 || poll(&wait, 1, 10000) == 1)) {
    int got = SSL_read(ssl.get(), chunk, sizeof chunk);
    if (got <= 0) break;
    answer.append(chunk, static_cast<std::size_t>(got));
  }
  close(fd);
  EXPECT_EQ(0u, answer.find("HTTP/1.1 200 OK\r\n")) << answer;
  EXPECT_EQ(3u, simtest::Values(simtest::Payload(answer), "Name").size())
      << answer;
}

}  // namespace
