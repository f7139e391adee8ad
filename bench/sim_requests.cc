// How many small requests pelk-sim serves per second. The figure that
// matters is the kept text connection (the client's normal path); the login
// port, with a connection per request, and the model without any network
// run beside it in the same process so their ratios can be compared.
#include <benchmark/benchmark.h>

#include "sim/demo_scenario.h"
#include "sim/operations.h"
#include "sim/request.h"
#include "sim/scenario.h"
#include "sim_client.h"
#include "support/loopback.h"

namespace {

const std::string kAddress = testing_support::loopbackAddress(1);

simtest::RunningServer& Server() {
  static simtest::RunningServer server(kAddress);
  return server;
}

std::string ListHosts() {
  return simtest::V1Envelope("Get", "StorageClient",
                             {{"ID", ""}, {"ElementID", simtest::kProduction}});
}

void BM_TextKeptConnection(benchmark::State& state) {
  Server();
  simtest::Connection connection(kAddress, 12301);
  std::string request = simtest::TextTransportRequest(kAddress, ListHosts(),
                                                      "administrator", "admin");
  for (auto _ : state) {
    connection.Send(request);
    std::string answer = connection.ReadAnswer();
    if (answer.empty()) state.SkipWithError("no answer");
    benchmark::DoNotOptimize(answer);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextKeptConnection)->UseRealTime();

void BM_TextVdiskDetails(benchmark::State& state) {
  Server();
  simtest::Connection connection(kAddress, 12301);
  std::string list = Server().Text(simtest::V1Envelope(
      "Get", "Storage", {{"ID", ""}, {"ElementID", simtest::kProduction}}));
  std::string id = simtest::Values(list, "ID").at(0);
  std::string request = simtest::TextTransportRequest(
      kAddress,
      simtest::V3Envelope("getproperties", {{"scellid", simtest::kProduction},
                                            {"objectid", id},
                                            {"objecttype", "virtualdisk"}}),
      "administrator", "admin");
  for (auto _ : state) {
    connection.Send(request);
    benchmark::DoNotOptimize(connection.ReadAnswer());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextVdiskDetails)->UseRealTime();

void BM_LoginPortConnectionPerRequest(benchmark::State& state) {
  Server();
  std::string cookie = simtest::ElmLogin(kAddress, "administrator", "admin");
  for (auto _ : state) {
    std::string answer = simtest::ElmRequest(
        kAddress, cookie, "/ResEltMrtFusion/Tallow", ListHosts());
    if (answer.empty()) state.SkipWithError("no answer");
    benchmark::DoNotOptimize(answer);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LoginPortConnectionPerRequest)->UseRealTime();

void BM_ModelOnly(benchmark::State& state) {
  sim::Model model;
  std::string error;
  sim::LoadScenario(sim::kDemoScenario, model, error);
  sim::OperationRequest request;
  sim::DecodeOperation(ListHosts(), request, error);
  for (auto _ : state) {
    benchmark::DoNotOptimize(sim::RenderV1(sim::Execute(model, request), true));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ModelOnly);

}  // namespace

BENCHMARK_MAIN();
