// The start of pelk beside that of a program that does nothing: `pelk
// EXIT` and `true` in turn, each spawned and waited for alike, with its
// output going nowhere, so that what pelk loads and does before it can
// take a command is what tells them apart. "ratio" is pelk's median over
// true's. No manager is named, so no TLS library is loaded.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

extern char** environ;

namespace {

// Runs `arguments` with every standard stream on /dev/null; false when it
// did not end with status 0.
bool runQuietly(char* const* arguments) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int stream : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", O_RDWR, 0);
  }
  pid_t child = -1;
  int failed =
      posix_spawnp(&child, arguments[0], &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void BM_PelkExitBesideTrue(benchmark::State& state) {
  char pelk[] = PELK_BINARY;
  char exitLine[] = "EXIT";
  char* pelkArguments[] = {pelk, exitLine, nullptr};
  char truth[] = "true";
  char* trueArguments[] = {truth, nullptr};
  using Clock = std::chrono::steady_clock;
  std::vector<double> pelkRuns;
  std::vector<double> trueRuns;
  for (auto _ : state) {
    Clock::time_point started = Clock::now();
    bool ran = runQuietly(pelkArguments);
    Clock::time_point between = Clock::now();
    ran = runQuietly(trueArguments) && ran;
    Clock::time_point ended = Clock::now();
    if (!ran) {
      state.SkipWithError("a program failed");
      return;
    }
    pelkRuns.push_back(
        std::chrono::duration<double, std::milli>(between - started).count());
    trueRuns.push_back(
        std::chrono::duration<double, std::milli>(ended - between).count());
  }
  state.counters["pelk_ms"] = median(pelkRuns);
  state.counters["true_ms"] = median(trueRuns);
  state.counters["ratio"] = median(pelkRuns) / median(trueRuns);
}

BENCHMARK(BM_PelkExitBesideTrue)
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
