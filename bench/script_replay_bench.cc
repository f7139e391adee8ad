// The cost of the shell around its requests: pelk replays a script of
// 1,000 SHOW SYSTEM commands against a simulator, and a bare client sends
// the same 1,000 list requests on one kept connection to the same server.
// One iteration is the whole script in both runs, so their ratio is the
// shell's overhead per command, process start included.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "sim_client.h"
#include "support/run_program.h"

namespace {

const char* const kAddress = "127.0.4.202";
constexpr int kCommands = 1000;

simtest::RunningServer& Server() {
  static simtest::RunningServer server(kAddress);
  return server;
}

void BM_PelkScriptOf1000Commands(benchmark::State& state) {
  Server();
  testing_support::ScratchDirectory scratch;
  std::string script = scratch.path() + "/replay.pelk";
  {
    std::ofstream file(script);
    for (int i = 0; i < kCommands; ++i) file << "SHOW SYSTEM\n";
  }
  testing_support::ProgramOptions options;
  options.arguments = {"SET OPTIONS NOCOMMAND_DELAY",
                       std::string("SELECT MANAGER ") + kAddress +
                           " USERNAME=administrator PASSWORD=admin",
                       "FILE " + script};
  options.directory = scratch.path();
  options.timeoutSeconds = 600;
  for (auto _ : state) {
    testing_support::ProgramRun run = runProgram(PELK_BINARY, options);
    if (run.exitStatus != 0 || run.output.find("Error") != std::string::npos) {
      state.SkipWithError("pelk failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kCommands);
}
BENCHMARK(BM_PelkScriptOf1000Commands)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);

void BM_BareClient1000Requests(benchmark::State& state) {
  Server();
  std::string request = simtest::TextTransportRequest(
      kAddress, simtest::V1Envelope("Get", "Element", {{"ID", ""}}),
      "administrator", "admin");
  for (auto _ : state) {
    simtest::Connection connection(kAddress, 12301);
    for (int i = 0; i < kCommands; ++i) {
      connection.Send(request);
      if (connection.ReadAnswer().empty()) {
        state.SkipWithError("no answer");
        return;
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kCommands);
}
BENCHMARK(BM_BareClient1000Requests)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
