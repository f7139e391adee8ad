// The cost of the shell around its requests: pelk replays a script of
// 1,000 SHOW SYSTEM commands against a simulator, and a bare client sends
// the same 1,000 list requests on one kept connection to the same server,
// with nothing done between them.
//
// The bare client runs twice in each iteration, sharing every line of its
// code: as a program of its own, started the way pelk is, and in the
// benchmark's own process. "ratio" is pelk's time over the bare program's:
// both pay what the system charges any program (starting, ending, running
// as a process of its own), so what remains is the shell's own work.
// "in_process_ratio" is pelk's time over the same client in the
// benchmark's process, which pays none of that. All of them alternate
// within each iteration, so a busy moment of a shared machine falls on
// each; a ratio is the median of the iterations' ratios, so the one
// iteration a busy moment falls on does not decide it.
// "start_ms" is pelk run with an empty script and "bare_start_ms" the bare
// program sending nothing: the part of their times spent starting and
// ending the process, paid once per run.
//
// The simulator runs as a process of its own, as it does for pelk: served
// by a thread of the benchmark's own process, the bare client's requests
// would never cross from one process to another, which pelk's always do.
// "bare_in_process_server_ms" is the in-process bare client against a
// server thread of its own process, for comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "bare_client.h"
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

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle]
                                : (values[middle - 1] + values[middle]) / 2;
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
  testing_support::ProgramOptions emptyOptions = options;
  emptyOptions.arguments.back() = "FILE " + empty;
  auto listRequest = [](const std::string& address) {
    return simtest::TextTransportRequest(
        address, simtest::V1Envelope("Get", "Element", {{"ID", ""}}),
        "administrator", "admin");
  };
  std::string request = listRequest(kAddress);
  std::string inProcessRequest = listRequest(kInProcessAddress);
  std::string requestFile = scratch.path() + "/request.txt";
  std::ofstream(requestFile, std::ios::binary) << request;
  testing_support::ProgramOptions bareOptions = options;
  bareOptions.arguments = {kAddress, std::to_string(kCommands), requestFile};
  testing_support::ProgramOptions bareStartOptions = options;
  bareStartOptions.arguments = {kAddress, "0", requestFile};

  using Clock = std::chrono::steady_clock;
  auto msSince = [](Clock::time_point started) {
    return std::chrono::duration<double, std::milli>(Clock::now() - started)
        .count();
  };
  // A program's time, or a negative one when it failed.
  auto timedRun = [&](const char* path,
                      const testing_support::ProgramOptions& run) {
    Clock::time_point started = Clock::now();
    testing_support::ProgramRun result = runProgram(path, run);
    double ms = msSince(started);
    return result.exitStatus == 0 ? ms : -1.0;
  };
  double pelkMs = 0;
  double startMs = 0;
  double bareProgramMs = 0;
  double bareStartMs = 0;
  double bareMs = 0;
  double inProcessServerMs = 0;
  std::vector<double> ratios;
  std::vector<double> inProcessRatios;
  for (auto _ : state) {
    Clock::time_point started = Clock::now();
    testing_support::ProgramRun run = runProgram(PELK_BINARY, options);
    double pelk = msSince(started);
    if (run.exitStatus != 0 || run.output.find("Error") != std::string::npos) {
      state.SkipWithError("pelk failed");
      return;
    }
    double start = timedRun(PELK_BINARY, emptyOptions);
    double bareProgram = timedRun(BARE_CLIENT_BINARY, bareOptions);
    double bareStart = timedRun(BARE_CLIENT_BINARY, bareStartOptions);
    if (start < 0 || bareProgram < 0 || bareStart < 0) {
      state.SkipWithError("a program failed");
      return;
    }
    started = Clock::now();
    if (!bare_client::sendRequests(kAddress.c_str(), request, kCommands)) {
      state.SkipWithError("no answer");
      return;
    }
    double bare = msSince(started);
    started = Clock::now();
    if (!bare_client::sendRequests(kInProcessAddress.c_str(), inProcessRequest,
                                   kCommands)) {
      state.SkipWithError("no answer in process");
      return;
    }
    inProcessServerMs += msSince(started);
    pelkMs += pelk;
    startMs += start;
    bareProgramMs += bareProgram;
    bareStartMs += bareStart;
    bareMs += bare;
    ratios.push_back(pelk / bareProgram);
    inProcessRatios.push_back(pelk / bare);
  }
  double runs = static_cast<double>(state.iterations());
  state.counters["pelk_ms"] = pelkMs / runs;
  state.counters["start_ms"] = startMs / runs;
  state.counters["bare_program_ms"] = bareProgramMs / runs;
  state.counters["bare_start_ms"] = bareStartMs / runs;
  state.counters["bare_ms"] = bareMs / runs;
  state.counters["bare_in_process_server_ms"] = inProcessServerMs / runs;
  state.counters["ratio"] = median(ratios);
  state.counters["in_process_ratio"] = median(inProcessRatios);
}
BENCHMARK(ScriptOf1000Commands)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
