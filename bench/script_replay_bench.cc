// The cost of the shell around its requests: pelk replays a script of
// 1,000 SHOW SYSTEM commands against a simulator, and a bare client sends
// the same 1,000 list requests on one kept connection to the same server.
// The two alternate within each iteration, so a busy moment of a shared
// machine falls on both; "ratio" is the shell's total time over the bare
// client's, process start included.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "platform/clock.h"
#include "sim_client.h"
#include "support/loopback.h"
#include "support/run_program.h"

namespace {

const std::string kAddress = testing_support::loopbackAddress(1);
constexpr int kCommands = 1000;

simtest::RunningServer& Server() {
  static simtest::RunningServer server(kAddress);
  return server;
}

bool sendBare(const std::string& request) {
  simtest::Connection connection(kAddress, 12301);
  for (int i = 0; i < kCommands; ++i) {
    connection.Send(request);
    if (connection.ReadAnswer().empty()) return false;
  }
  return true;
}

void ScriptOf1000Commands(benchmark::State& state) {
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
  std::string request = simtest::TextTransportRequest(
      kAddress, simtest::V1Envelope("Get", "Element", {{"ID", ""}}),
      "administrator", "admin");
  uint64_t pelkMs = 0;
  uint64_t bareMs = 0;
  for (auto _ : state) {
    uint32_t started = platform::clock().tickCount();
    testing_support::ProgramRun run = runProgram(PELK_BINARY, options);
    pelkMs += platform::clock().tickCount() - started;
    if (run.exitStatus != 0 || run.output.find("Error") != std::string::npos) {
      state.SkipWithError("pelk failed");
      return;
    }
    started = platform::clock().tickCount();
    if (!sendBare(request)) {
      state.SkipWithError("no answer");
      return;
    }
    bareMs += platform::clock().tickCount() - started;
  }
  double runs = static_cast<double>(state.iterations());
  state.counters["pelk_ms"] = pelkMs / runs;
  state.counters["bare_ms"] = bareMs / runs;
  state.counters["ratio"] =
      bareMs > 0 ? static_cast<double>(pelkMs) / bareMs : 0;
}
BENCHMARK(ScriptOf1000Commands)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
