// A small request and answer through EMClientAPITNGSendRequest to a server
// on a loopback address, as the shell sends them: pooled connection, text
// transport, wait-forever receives.
//
// Each repetition is one round trip, so the aggregates are the median and
// the 95th percentile of single round trips. "connections" counts the TCP
// connections the server accepted. The blind-wait run replaces the
// receive's wait for data by a plain 250 ms pause, the way a receive
// without poll would spend it, for the ratio side by side. The raw run is
// the floor: the bytes the library sent, written by a bare socket on a
// kept connection, and the answer read by its Content-Length.
//
// Run one after the other, the two may meet the machine in different
// states (a server thread on the client's core or on the other one halves
// or doubles a round trip). The side-by-side run takes one round trip of
// each in turn, each to a server of its own, and gives the medians of
// both; its "ratio" is the library's over the raw exchange's.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/emclient_api.h"
#include "loopback_server.h"
#include "platform/clock.h"
#include "platform/sockets.h"
#include "support/loopback.h"

namespace {

using emclient_test::LoopbackServer;

const std::string kAddress = testing_support::loopbackAddress(1);
const std::string kRequest =
    "POST /ResEltMrtFusion/XMLIntr HTTP/1.1\nHost:" + kAddress +
    ":12301\n"
    "Content-Type:text/SOAP\nContent-Length:500\n\n<Envelope xmlns='x'>"
    "<Header><version>3.2</version></Header><Body><getsysteminfo/>"
    "<username>admin</username><userpassword>secret</userpassword></Body>"
    "</Envelope>\n";

LoopbackServer& server() {
  static std::unique_ptr<LoopbackServer> running = [] {
    auto made = std::make_unique<LoopbackServer>(kAddress, 12301);
    made->start(
        emclient_test::textTransportSession(*made, [](int, const std::string&) {
          return emclient_test::textTransportAnswer(
              "<Envelope><version>3.2</version><statuscode>0</statuscode>"
              "</Envelope>");
        }));
    return made;
  }();
  return *running;
}

void roundTrip(benchmark::State& state) {
  for (auto _ : state) {
    char* response = nullptr;
    int length = 0;
    if (EMClientAPITNGSendRequest(kRequest.c_str(), &response, &length, 0) !=
        0) {
      state.SkipWithError("send failed");
      break;
    }
    benchmark::DoNotOptimize(response);
    std::free(response);
  }
  state.counters["connections"] = server().accepted();
}

double percentile95(const std::vector<double>& values) {
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  return sorted[(sorted.size() * 95) / 100];
}

void BM_RoundTrip(benchmark::State& state) {
  server();
  EMClientAPITNGSetWaitForever(1);
  platform::installReadableWaiter(nullptr);
  roundTrip(state);
}

void blindWait(platform::SocketHandle, uint32_t milliseconds) {
  platform::clock().sleepMilliseconds(milliseconds);
}

void BM_RoundTripBlindWait(benchmark::State& state) {
  server();
  EMClientAPITNGSetWaitForever(1);
  platform::installReadableWaiter(blindWait);
  roundTrip(state);
  platform::installReadableWaiter(nullptr);
}

// Reads one answer: header lines, then Content-Length bytes of body.
bool readAnswer(int descriptor, std::string& answer) {
  answer.clear();
  char chunk[8192];
  for (;;) {
    std::size_t headerEnd = answer.find("\r\n\r\n");
    if (headerEnd != std::string::npos) {
      std::size_t header = answer.find("Content-Length:");
      std::size_t length =
          header == std::string::npos
              ? 0
              : std::strtoul(answer.c_str() + header + 15, nullptr, 10);
      if (answer.size() >= headerEnd + 4 + length) return true;
    }
    ssize_t got = recv(descriptor, chunk, sizeof chunk, 0);
    if (got <= 0) return false;
    answer.append(chunk, static_cast<std::size_t>(got));
  }
}

// The bare socket's connection, kept across repetitions as the library
// keeps its own. Made after the server, so closed before it at exit.
struct RawConnection {
  int descriptor = -1;
  std::string request;
  ~RawConnection() {
    if (descriptor >= 0) close(descriptor);
  }
};

RawConnection& rawConnection() {
  static RawConnection connection = [] {
    RawConnection made;
    char* response = nullptr;
    int length = 0;
    if (EMClientAPITNGSendRequest(kRequest.c_str(), &response, &length, 0) !=
        0) {
      return made;
    }
    std::free(response);
    // The server serves one connection at a time: the pool's goes first.
    EMClientAPITNGCloseConnections();
    made.request = server().requests().back();
    made.descriptor = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(12301);
    inet_pton(AF_INET, kAddress.c_str(), &address.sin_addr);
    if (connect(made.descriptor, reinterpret_cast<sockaddr*>(&address),
                sizeof address) != 0) {
      close(made.descriptor);
      made.descriptor = -1;
    }
    return made;
  }();
  return connection;
}

// The server of the side-by-side run: one thread answers every connection
// it has, whichever asks, so both halves meet the same thread on the same
// core (two server threads may land one beside the client and one away
// from it, which alone halves or doubles a round trip).
class SharedServer {
 public:
  explicit SharedServer(const std::string& address) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(12301);
    inet_pton(AF_INET, address.c_str(), &local.sin_addr);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) !=
            0 ||
        listen(listener_, 8) != 0) {
      close(listener_);
      listener_ = -1;
      return;
    }
    thread_ = std::thread([this] { serve(); });
  }
  ~SharedServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    for (int descriptor : connections_) close(descriptor);
    if (listener_ >= 0) close(listener_);
  }
  bool listening() const { return listener_ >= 0; }
  // The last request read, for the raw half to send as it stands.
  std::string lastRequest() {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
  }

 private:
  void serve() {
    const std::string answer = emclient_test::textTransportAnswer(
        "<Envelope><version>3.2</version><statuscode>0</statuscode>"
        "</Envelope>");
    while (!stopping_) {
      std::vector<pollfd> watched{{listener_, POLLIN, 0}};
      for (int descriptor : connections_) {
        watched.push_back({descriptor, POLLIN, 0});
      }
      if (poll(watched.data(), watched.size(), 20) <= 0) continue;
      if (watched[0].revents & POLLIN) {
        int accepted = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (accepted >= 0) connections_.push_back(accepted);
      }
      for (std::size_t i = 1; i < watched.size(); ++i) {
        if ((watched[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        std::string request = emclient_test::readHttpRequest(watched[i].fd);
        if (request.empty()) {
          std::erase(connections_, watched[i].fd);
          close(watched[i].fd);
          continue;
        }
        {
          std::lock_guard<std::mutex> lock(mutex_);
          last_ = request;
        }
        emclient_test::writeAll(watched[i].fd, answer);
      }
    }
  }

  int listener_ = -1;
  std::vector<int> connections_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::string last_;
  std::thread thread_;
};

int connectTo(const std::string& host) {
  int descriptor = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(12301);
  inet_pton(AF_INET, host.c_str(), &address.sin_addr);
  if (connect(descriptor, reinterpret_cast<sockaddr*>(&address),
              sizeof address) != 0) {
    close(descriptor);
    return -1;
  }
  return descriptor;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void BM_RoundTripBesideRaw(benchmark::State& state) {
  // The pooled connection goes to this server for the run, and back to the
  // usual one after it.
  const std::string sharedAddress = testing_support::loopbackAddress(2);
  SharedServer shared(sharedAddress);
  if (!shared.listening()) {
    state.SkipWithError("cannot listen");
    return;
  }
  std::string toShared = kRequest;
  toShared.replace(toShared.find(kAddress), kAddress.size(), sharedAddress);
  EMClientAPITNGSetWaitForever(1);
  platform::installReadableWaiter(nullptr);
  char* response = nullptr;
  int length = 0;
  if (EMClientAPITNGSendRequest(toShared.c_str(), &response, &length, 0) != 0) {
    state.SkipWithError("send failed");
    return;
  }
  std::free(response);
  const std::string sent = shared.lastRequest();
  int raw = connectTo(sharedAddress);
  if (raw < 0) {
    state.SkipWithError("no connection");
    return;
  }
  using Clock = std::chrono::steady_clock;
  std::vector<double> library;
  std::vector<double> bare;
  std::string answer;
  for (auto _ : state) {
    Clock::time_point started = Clock::now();
    if (EMClientAPITNGSendRequest(toShared.c_str(), &response, &length, 0) !=
        0) {
      state.SkipWithError("send failed");
      break;
    }
    std::free(response);
    Clock::time_point between = Clock::now();
    if (send(raw, sent.data(), sent.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(sent.size()) ||
        !readAnswer(raw, answer)) {
      state.SkipWithError("exchange failed");
      break;
    }
    Clock::time_point ended = Clock::now();
    library.push_back(
        std::chrono::duration<double, std::micro>(between - started).count());
    bare.push_back(
        std::chrono::duration<double, std::micro>(ended - between).count());
  }
  close(raw);
  EMClientAPITNGCloseConnections();
  if (library.empty()) return;
  state.counters["library_us"] = median(library);
  state.counters["raw_us"] = median(bare);
  state.counters["ratio"] = median(library) / median(bare);
}

// Runs last: its connection holds the server until the program ends.
void BM_RawLoopbackExchange(benchmark::State& state) {
  server();
  RawConnection& raw = rawConnection();
  if (raw.descriptor < 0) {
    state.SkipWithError("no connection");
    return;
  }
  std::string answer;
  for (auto _ : state) {
    if (send(raw.descriptor, raw.request.data(), raw.request.size(),
             MSG_NOSIGNAL) != static_cast<ssize_t>(raw.request.size()) ||
        !readAnswer(raw.descriptor, answer)) {
      state.SkipWithError("exchange failed");
      break;
    }
    benchmark::DoNotOptimize(answer);
  }
}

BENCHMARK(BM_RoundTrip)
    ->Iterations(1)
    ->Repetitions(2000)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p95", percentile95)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_RoundTripBlindWait)
    ->Iterations(1)
    ->Repetitions(12)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p95", percentile95)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_RoundTripBesideRaw)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK(BM_RawLoopbackExchange)
    ->Iterations(1)
    ->Repetitions(2000)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p95", percentile95)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
