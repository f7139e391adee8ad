// The cost of the shell around its requests: pelk replays a script of
// 1,000 SHOW SYSTEM commands against a simulator, and a bare client sends
// the same 1,000 list requests on one kept connection to the same server.
// The two alternate within each iteration, so a busy moment of a shared
// machine falls on both; "ratio" is the shell's time over the bare
// client's, process start included: the median of the iterations' ratios,
// so the one iteration a busy moment falls on does not decide it.
// "start_ms" is pelk run with an empty script: the part of its time spent
// starting and ending the process, paid once per script.
//
// The simulator runs as a process of its own, as it does for pelk: served
// by a thread of the benchmark's own process, the bare client's requests
// would never cross from one process to another, which pelk's always do
// (on a virtual machine each such crossing costs about as much as a third
// of a request). "bare_in_process_ms" is the bare client against a server
// thread of its own process, for comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "sim_client.h"
#include "support/loopback.h"
#include "support/run_program.h"
#include "support/sim_process.h"

namespace {

const std::string kAddress = testing_support::loopbackAddress(1);
const std::string kInProcessAddress = testing_support::loopbackAddress(2);
constexpr int kCommands = 1000;

simtest::RunningServer& InProcessServer() {
  static simtest::RunningServer server(kInProcessAddress);
  return server;
}

bool sendBare(const std::string& address, const std::string& request) {
  simtest::Connection connection(address, 12301);
  for (int i = 0; i < kCommands; ++i) {
    connection.Send(request);
    if (connection.ReadAnswer().empty()) return false;
  }
  return true;
}

void ScriptOf1000Commands(benchmark::State& state) {
  testing_support::SimProcess sim(PELK_SIM_BINARY, kAddress, {"--demo"});
  if (!sim.listening()) {
    state.SkipWithError("pelk-sim did not start");
    return;
  }
  InProcessServer();
  testing_support::ScratchDirectory scratch;
  std::string script = scratch.path() + "/replay.pelk";
  {
    std::ofstream file(script);
    for (int i = 0; i < kCommands; ++i) file << "SHOW SYSTEM\n";
  }
  std::string empty = scratch.path() + "/empty.pelk";
  std::ofstream{empty};
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
  using Clock = std::chrono::steady_clock;
  auto msSince = [](Clock::time_point started) {
    return std::chrono::duration<double, std::milli>(Clock::now() - started)
        .count();
  };
  testing_support::ProgramOptions emptyOptions = options;
  emptyOptions.arguments.back() = "FILE " + empty;
  double pelkMs = 0;
  double startMs = 0;
  double bareMs = 0;
  double inProcessMs = 0;
  std::vector<double> ratios;
  for (auto _ : state) {
    Clock::time_point started = Clock::now();
    testing_support::ProgramRun run = runProgram(PELK_BINARY, options);
    double pelk = msSince(started);
    if (run.exitStatus != 0 || run.output.find("Error") != std::string::npos) {
      state.SkipWithError("pelk failed");
      return;
    }
    started = Clock::now();
    runProgram(PELK_BINARY, emptyOptions);
    startMs += msSince(started);
    started = Clock::now();
    if (!sendBare(kAddress, request)) {
      state.SkipWithError("no answer");
      return;
    }
    double bare = msSince(started);
    started = Clock::now();
    if (!sendBare(kInProcessAddress, request)) {
      state.SkipWithError("no answer in process");
      return;
    }
    inProcessMs += msSince(started);
    pelkMs += pelk;
    bareMs += bare;
    ratios.push_back(pelk / bare);
  }
  double runs = static_cast<double>(state.iterations());
  state.counters["pelk_ms"] = pelkMs / runs;
  state.counters["start_ms"] = startMs / runs;
  state.counters["bare_ms"] = bareMs / runs;
  state.counters["bare_in_process_ms"] = inProcessMs / runs;
  std::sort(ratios.begin(), ratios.end());
  std::size_t middle = ratios.size() / 2;
  state.counters["ratio"] = ratios.size() % 2 == 1
                                ? ratios[middle]
                                : (ratios[middle - 1] + ratios[middle]) / 2;
}
BENCHMARK(ScriptOf1000Commands)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
