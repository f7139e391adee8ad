// Feeds each input as a server's answer: over a real loopback connection
// into the 12301 path's receive, in clear and, for some inputs, through
// TLS (a server side of the fuzzer's own writes it in a TLS session), then
// into every parser of answers.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/connection.h"
#include "client/direct_operations.h"
#include "client/direct_request.h"
#include "client/emclient_api.h"
#include "client/front_exchange.h"
#include "client/login.h"
#include "client/retry_status.h"
#include "client/settings.h"
#include "client/text_transport.h"
#include "platform/sockets.h"
#include "platform/tls.h"
#include "support/loopback.h"

namespace {

using testing_support::loopbackAddress;

constexpr uint16_t kPort = 12301;

// A listener on the n-th address of the fuzzer's block.
int listener(int n) {
  int made = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(made, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(kPort);
  inet_pton(AF_INET, loopbackAddress(n).c_str(), &local.sin_addr);
  if (bind(made, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      listen(made, 4) != 0) {
    __builtin_trap();
  }
  return made;
}

void writeAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) break;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

void receiveAndExtract(emclient::ClientConnection& connection) {
  std::string received;
  if (emclient::receiveAnswer(connection, received) == 0) {
    std::string payload;
    emclient::extractPayload(received, payload);
  }
}

// The answer is written whole and the server's side closed before the
// client reads, so one thread plays both sides.
void receiveOverLoopback(std::string_view answer) {
  static const int server = listener(1);
  emclient::transport().tls = false;
  emclient::ClientConnection connection(emclient::Layer::kFront);
  if (connection.open(loopbackAddress(1), std::to_string(kPort), true) != 0)
    return;
  int accepted = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
  if (accepted < 0) return;
  writeAll(accepted, answer);
  close(accepted);
  receiveAndExtract(connection);
}

// A server context with a key and a certificate of its own, made once: the
// client does not verify it, the answer's way through TLS is what counts.
SSL_CTX* serverContext() {
  static SSL_CTX* context = [] {
    SSL_CTX* made = SSL_CTX_new(TLS_server_method());
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, key);
    X509_sign(certificate, key, EVP_sha256());
    if (made == nullptr || SSL_CTX_use_certificate(made, certificate) != 1 ||
        SSL_CTX_use_PrivateKey(made, key) != 1) {
      __builtin_trap();
    }
    X509_free(certificate);
    EVP_PKEY_free(key);
    return made;
  }();
  return context;
}

// The server's side of one exchange over TLS, moved on whenever the
// client would wait for it (the platform's waiter seam), so that one thread
// plays both sides, as in clear, and no scheduling of threads comes in.
struct TlsServerSide {
  int listener = -1;
  int accepted = -1;
  SSL* session = nullptr;
  std::string_view answer;
  std::size_t written = 0;
  bool handshaken = false;
  bool finished = false;

  void end() {
    SSL_free(session);
    session = nullptr;
    if (accepted >= 0) close(accepted);
    accepted = -1;
    finished = true;
  }
};

TlsServerSide serverSide;

void moveServerOn(platform::SocketHandle, uint32_t) {
  TlsServerSide& side = serverSide;
  if (side.finished) return;
  if (side.accepted < 0) {
    side.accepted =
        accept4(side.listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (side.accepted < 0) return;
    side.session = SSL_new(serverContext());
    SSL_set_fd(side.session, side.accepted);
    SSL_set_accept_state(side.session);
  }
  if (!side.handshaken) {
    int result = SSL_accept(side.session);
    if (result != 1) {
      int reason = SSL_get_error(side.session, result);
      if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) {
        side.end();
      }
      return;
    }
    side.handshaken = true;
  }
  while (side.written < side.answer.size()) {
    int result = SSL_write(side.session, side.answer.data() + side.written,
                           static_cast<int>(side.answer.size() - side.written));
    if (result <= 0) {
      if (SSL_get_error(side.session, result) != SSL_ERROR_WANT_WRITE) {
        side.end();
      }
      return;
    }
    side.written += static_cast<std::size_t>(result);
  }
  SSL_shutdown(side.session);
  side.end();
}

void receiveThroughTls(std::string_view answer) {
  static const bool ready = [] {
    serverSide.listener = listener(2);
    // libssl writes without MSG_NOSIGNAL: a client that went must not end
    // the fuzzer.
    signal(SIGPIPE, SIG_IGN);
    platform::useTlsLibrary(PELK_TLS_LIBRARY);
    emclient::transport().settings.verifyPeer = false;
    return true;
  }();
  (void)ready;
  serverSide.answer = answer;
  serverSide.written = 0;
  serverSide.handshaken = false;
  serverSide.finished = false;
  platform::installReadableWaiter(moveServerOn);
  emclient::transport().tls = true;
  {
    emclient::ClientConnection connection(emclient::Layer::kFront);
    if (connection.open(loopbackAddress(2), std::to_string(kPort), true) == 0) {
      receiveAndExtract(connection);
    }
  }
  emclient::transport().tls = false;
  platform::installReadableWaiter(nullptr);
  serverSide.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view answer(reinterpret_cast<const char*>(data), size);
  receiveOverLoopback(answer);
  // A handshake costs twenty times the exchange in clear: one input in
  // eight, those whose length is a multiple of eight, also goes through
  // TLS, so the clear receive keeps most of the time.
  if (size % 8 == 0) receiveThroughTls(answer);

  std::string payload;
  emclient::extractPayload(answer, payload);
  emclient::retryStatus(answer, true);
  emclient::retryStatus(answer, false);
  emclient::markedValue(answer, "<PARAM NAME=SessionKey VALUE=\"Corvane-HMMD=");
  emclient::markedValue(answer, "Set-Cookie: Corvane-HMMD=");
  emclient::statusMessage(answer);
  char version[EMCLIENTAPI_TEXT_FIELD_SIZE] = "unknown";
  char build[EMCLIENTAPI_TEXT_FIELD_SIZE] = "unknown";
  emclient::readSystemInfo(answer, version, build);
  ObjectListEntry* list = nullptr;
  emclient::appendObjects(answer, &list);
  EMClientAPITNGFreeObjectList(list);
  return 0;
}
