// A small request and answer through EMClientAPITNGSendRequest to a server
// on a loopback address, as the shell sends them: pooled connection, text
// transport, wait-forever receives.
//
// Each repetition is one round trip, so the aggregates are the median and
// the 95th percentile of single round trips. "connections" counts the TCP
// connections the server accepted. The blind-wait run replaces the
// receive's wait for data by a plain 250 ms pause, the way a receive
// without poll would spend it, for the ratio side by side.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "client/emclient_api.h"
#include "loopback_server.h"
#include "platform/clock.h"
#include "platform/sockets.h"

namespace {

using emclient_test::LoopbackServer;

const std::string kRequest =
    "POST /ResEltMrtFusion/XMLIntr HTTP/1.1\nHost:127.0.0.90:12301\n"
    "Content-Type:text/SOAP\nContent-Length:500\n\n<Envelope xmlns='x'>"
    "<Header><version>3.2</version></Header><Body><getsysteminfo/>"
    "<username>admin</username><userpassword>secret</userpassword></Body>"
    "</Envelope>\n";

LoopbackServer& server() {
  static std::unique_ptr<LoopbackServer> running = [] {
    auto made = std::make_unique<LoopbackServer>("127.0.0.90", 12301);
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

}  // namespace

BENCHMARK_MAIN();
