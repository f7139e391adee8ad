// A kept-connection round trip of the 12301 path over TLS beside one in
// clear: the client library's exchange (text transport, send, the whole
// answer, its payload) on two kept connections, one of each, taken in turn
// so that both meet the machine in the same state. Twice: to one server
// thread that answers both at once (the transport alone), and to pelk-sim
// (a manager's round trip). "ratio" is the median round trip over TLS over
// the median in clear; the server's side of TLS is in it, as a manager's
// front's is.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "client/client_request.h"
#include "client/connection.h"
#include "client/front_exchange.h"
#include "client/settings.h"
#include "loopback_server.h"
#include "platform/tls.h"
#include "sim_client.h"
#include "support/loopback.h"

namespace {

using testing_support::loopbackAddress;

// A request of the shell to `address` (a text is put together piece by
// piece: GCC 12 warns falsely where a literal is prepended to a string).
std::string withHost(const char* head, const std::string& address,
                     const char* rest) {
  std::string request = head;
  request.append(address).append(rest);
  return request;
}

std::string requestTo(const std::string& address) {
  return withHost("POST /ResEltMrtFusion/XMLIntr HTTP/1.1\nHost:", address,
                  ":12301\nContent-Type:text/SOAP\nContent-Length:500\n\n"
                  "<Envelope xmlns='x'><Header><version>3.2</version>"
                  "</Header><Body><getsysteminfo/><username>admin</username>"
                  "<userpassword>secret</userpassword></Body></Envelope>\n");
}

// The request of SHOW SYSTEM.
std::string listOfSystemsTo(const std::string& address) {
  return withHost(
      "POST /ResEltMrtFusion/Tallow HTTP/1.1\nHost:", address,
      ":12301\nContent-Type: text/SOAP\nContent-Length:  463\nSOAP "
      "Action:\"Get\"\n\n<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:"
      "soap.v1\">\n<SOAP:Body=corvane-fenmoor:zorapi.v1>\n<m:Get xmlns:m="
      "\"TALLOW-URI\">\n<ID xsd:type=\"string\"></ID>\n<UserPassword "
      "xsd:type=\"string\">admin</UserPassword>\n<UserName xsd:type="
      "\"string\">administrator</UserName>\n<Type xsd:type=\"string\">"
      "Element</Type>\n</m:Get>\n</SOAP:Body>\n</SOAP:Envelope>\n");
}

int listenOn(const std::string& address) {
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(12301);
  inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  if (bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      listen(listener, 4) != 0) {
    close(listener);
    return -1;
  }
  return listener;
}

// A throw-away key and certificate; the client does not verify them.
struct Identity {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* certificate = X509_new();
  Identity() {
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, key);
    X509_sign(certificate, key, EVP_sha256());
  }
  ~Identity() {
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
};

const Identity& identity() {
  static const Identity made;
  return made;
}

SSL_CTX* serverContext() {
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  // A record in one read, as a front reading ahead takes it.
  SSL_CTX_set_read_ahead(context, 1);
  SSL_CTX_use_certificate(context, identity().certificate);
  SSL_CTX_use_PrivateKey(context, identity().key);
  return context;
}

// Reads one request by its Content-Length, through `read`.
std::string readRequest(const std::function<long(char*, std::size_t)>& read) {
  std::string request;
  char chunk[8192];
  for (;;) {
    std::size_t headerEnd = request.find("\n\n");
    if (headerEnd != std::string::npos) {
      std::size_t header = request.find("Content-Length:");
      std::size_t length =
          header == std::string::npos || header > headerEnd
              ? 0
              : std::strtoul(request.c_str() + header + 15, nullptr, 10);
      if (request.size() >= headerEnd + 2 + length) return request;
    }
    long got = read(chunk, sizeof chunk);
    if (got <= 0) return {};
    request.append(chunk, static_cast<std::size_t>(got));
  }
}

// One thread answers the clear and the TLS connection, whichever asks.
class Server {
 public:
  Server(const std::string& clearAddress, const std::string& tlsAddress)
      : clear_(listenOn(clearAddress)),
        secure_(listenOn(tlsAddress)),
        context_(serverContext()) {
    if (listening()) thread_ = std::thread([this] { serve(); });
  }
  ~Server() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    for (int descriptor : {clear_, secure_, clearPeer_, securePeer_}) {
      if (descriptor >= 0) close(descriptor);
    }
    SSL_free(session_);
    SSL_CTX_free(context_);
  }
  bool listening() const { return clear_ >= 0 && secure_ >= 0; }

 private:
  static int accepted(int listener) {
    int descriptor = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    int yes = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return descriptor;
  }

  void serve() {
    const std::string answer = emclient_test::textTransportAnswer(
        "<Envelope><version>3.2</version><statuscode>0</statuscode>"
        "</Envelope>");
    while (!stopping_) {
      pollfd watched[] = {{clear_, POLLIN, 0},
                          {secure_, POLLIN, 0},
                          {clearPeer_, POLLIN, 0},
                          {securePeer_, POLLIN, 0}};
      if (poll(watched, 4, 20) <= 0) continue;
      if (watched[0].revents & POLLIN) clearPeer_ = accepted(clear_);
      if (watched[1].revents & POLLIN) {
        securePeer_ = accepted(secure_);
        session_ = SSL_new(context_);
        SSL_set_fd(session_, securePeer_);
        if (SSL_accept(session_) != 1) return;
      }
      if (watched[2].revents & POLLIN) {
        std::string request = readRequest([this](char* buffer, size_t size) {
          return static_cast<long>(recv(clearPeer_, buffer, size, 0));
        });
        if (request.empty()) return;
        emclient_test::writeAll(clearPeer_, answer);
      }
      if (watched[3].revents & POLLIN) {
        std::string request = readRequest([this](char* buffer, size_t size) {
          return static_cast<long>(
              SSL_read(session_, buffer, static_cast<int>(size)));
        });
        if (request.empty()) return;
        SSL_write(session_, answer.data(), static_cast<int>(answer.size()));
      }
    }
  }

  int clear_;
  int secure_;
  SSL_CTX* context_;
  int clearPeer_ = -1;
  int securePeer_ = -1;
  SSL* session_ = nullptr;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// The client side of both runs: the library's exchange on a kept
// connection in clear and one over TLS, in turn.
void compareRoundTrips(
    benchmark::State& state, const std::string& clearAddress,
    const std::string& tlsAddress,
    const std::function<std::string(const std::string&)>& requestFor);

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void compareRoundTrips(
    benchmark::State& state, const std::string& clearAddress,
    const std::string& tlsAddress,
    const std::function<std::string(const std::string&)>& requestFor) {
  platform::useTlsLibrary(PELK_TLS_LIBRARY);
  // Waits as the shell waits; the certificate is a throw-away one.
  emclient::settings(emclient::Layer::kFront).waitForever = 1;
  emclient::transport().settings.verifyPeer = false;
  emclient::ClientConnection clear(emclient::Layer::kFront);
  emclient::ClientConnection secure(emclient::Layer::kFront);
  emclient::transport().tls = false;
  int opened = clear.open(clearAddress, "12301", true);
  emclient::transport().tls = true;
  opened += secure.open(tlsAddress, "12301", true);
  if (opened != 0) {
    state.SkipWithError("cannot connect");
    return;
  }
  emclient::ClientRequest toClear(requestFor(clearAddress));
  emclient::ClientRequest toSecure(requestFor(tlsAddress));
  using Clock = std::chrono::steady_clock;
  std::vector<double> inClear;
  std::vector<double> overTls;
  std::string payload;
  for (auto _ : state) {
    Clock::time_point started = Clock::now();
    emclient::transport().tls = false;
    int failed = emclient::exchangeWithRetries(clear, toClear, 0, payload);
    Clock::time_point between = Clock::now();
    emclient::transport().tls = true;
    failed += emclient::exchangeWithRetries(secure, toSecure, 0, payload);
    Clock::time_point ended = Clock::now();
    if (failed != 0) {
      state.SkipWithError("exchange failed");
      break;
    }
    inClear.push_back(
        std::chrono::duration<double, std::micro>(between - started).count());
    overTls.push_back(
        std::chrono::duration<double, std::micro>(ended - between).count());
  }
  emclient::transport().tls = false;
  if (inClear.empty()) return;
  state.counters["clear_us"] = median(inClear);
  state.counters["tls_us"] = median(overTls);
  state.counters["ratio"] = median(overTls) / median(inClear);
}

// The transport alone: a server that answers at once.
void BM_TlsRoundTripBesideClear(benchmark::State& state) {
  const std::string clearAddress = loopbackAddress(1);
  const std::string tlsAddress = loopbackAddress(2);
  Server server(clearAddress, tlsAddress);
  if (!server.listening()) {
    state.SkipWithError("cannot listen");
    return;
  }
  compareRoundTrips(state, clearAddress, tlsAddress, requestTo);
}

// A manager's round trip: pelk-sim with the demo, the request of SHOW
// SYSTEM, served in clear and over TLS by two servers of one simulator.
// The simulator serves each connection on a thread of its own; the whole
// process is kept on one processor, so that neither half gets its server
// thread on the client's processor while the other gets it on another,
// which alone would halve or double a round trip.
void BM_TlsRoundTripToSimBesideClear(benchmark::State& state) {
  char folder[] = "/tmp/pelk-bench-tls-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    state.SkipWithError("no folder for the certificate");
    return;
  }
  const std::string certificate = std::string(folder) + "/server.pem";
  const std::string key = std::string(folder) + "/server.key";
  BIO* out = BIO_new_file(certificate.c_str(), "w");
  PEM_write_bio_X509(out, identity().certificate);
  BIO_free(out);
  out = BIO_new_file(key.c_str(), "w");
  PEM_write_bio_PrivateKey(out, identity().key, nullptr, nullptr, 0, nullptr,
                           nullptr);
  BIO_free(out);
  sim::ServerOptions tlsOptions;
  tlsOptions.tls = {certificate, key, ""};
  cpu_set_t before;
  sched_getaffinity(0, sizeof before, &before);
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(sched_getcpu(), &one);
  sched_setaffinity(0, sizeof one, &one);
  {
    simtest::RunningServer clear(loopbackAddress(3));
    simtest::RunningServer secure(loopbackAddress(4), tlsOptions);
    compareRoundTrips(state, clear.address(), secure.address(),
                      listOfSystemsTo);
  }
  sched_setaffinity(0, sizeof before, &before);
  std::remove(certificate.c_str());
  std::remove(key.c_str());
  rmdir(folder);
}

BENCHMARK(BM_TlsRoundTripBesideClear)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK(BM_TlsRoundTripToSimBesideClear)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // A connection the server dropped must not end the benchmark: libssl
  // writes without MSG_NOSIGNAL.
  signal(SIGPIPE, SIG_IGN);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
