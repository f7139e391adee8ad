// The peak memory of pelk while it reads, parses and shows the largest list
// answer it accepts (just under the 64 MiB receive cap): SHOW SYSTEM against
// a server that lists systems of tiny rows (a name and an identifier of a
// few characters) or of realistic ones (a path and a 16-digit identifier).
// "per_byte" is the memory the answer made pelk take beyond its idle peak,
// over the bytes of the answer as the server sent them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "list_server.h"
#include "process_peak.h"
#include "support/loopback.h"

namespace {

constexpr std::size_t kAnswerBytes = 60u << 20;

std::string base36(int value) {
  std::string digits;
  do {
    digits.insert(digits.begin(),
                  "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36]);
    value /= 36;
  } while (value > 0);
  return digits;
}

struct Shape {
  std::string address;
  std::string (*name)(int);
  std::string (*id)(int);
};

std::string tinyName(int row) { return base36(row); }

std::string realisticName(int row) {
  char name[64];
  std::snprintf(name, sizeof name, "\\Virtual Disks\\vd%07d\\ACTIVE", row);
  return name;
}

std::string realisticId(int row) {
  char id[32];
  std::snprintf(id, sizeof id, "6005%012X", row);
  return id;
}

const Shape kTiny{testing_support::loopbackAddress(1), tinyName, tinyName};
const Shape kRealistic{testing_support::loopbackAddress(2), realisticName,
                       realisticId};

// As many rows as fit the answer size, judged from one row on the wire.
int rowsFor(const Shape& shape) {
  std::string row = bench_support::listPayload(
      1, [&](int) { return shape.name(999999); },
      [&](int) { return shape.id(999999); });
  std::string bare = bench_support::listPayload(
      0, [](int) { return std::string(); }, [](int) { return std::string(); });
  std::size_t perRow = row.size() - bare.size();
  for (char c : row) perRow += (c == '<' || c == '>') ? 3 : 0;
  for (char c : bare) perRow -= (c == '<' || c == '>') ? 3 : 0;
  return static_cast<int>(kAnswerBytes / perRow);
}

void PeakMemoryPerAnswerByte(benchmark::State& state, const Shape& shape) {
  int rows = rowsFor(shape);
  bench_support::ListServer server(shape.address, [&](const std::string&) {
    return bench_support::listPayload(rows, shape.name, shape.id);
  });
  if (!server.listening()) {
    state.SkipWithError("cannot listen");
    return;
  }
  double answerMiB = server.answerSize("Element") / 1048576.0;
  const std::vector<std::string> start = {
      "SET OPTIONS NOCOMMAND_DELAY",
      std::string("SELECT MANAGER ") + shape.address +
          " USERNAME=administrator PASSWORD=admin"};
  double peak = -1;
  double idle = -1;
  for (auto _ : state) {
    std::vector<std::string> show = start;
    show.push_back("SHOW SYSTEM");
    peak = bench_support::peakMemoryMiB(PELK_BINARY, show, "SHOW OPTIONS",
                                        "\nOptions:");
    idle = bench_support::peakMemoryMiB(PELK_BINARY, start, "SHOW OPTIONS",
                                        "\nOptions:");
  }
  if (peak < 0 || idle < 0) {
    state.SkipWithError("pelk did not answer");
    return;
  }
  state.counters["rows"] = rows;
  state.counters["answer_mib"] = answerMiB;
  state.counters["peak_mib"] = peak;
  state.counters["idle_mib"] = idle;
  state.counters["per_byte"] = (peak - idle) / answerMiB;
}

BENCHMARK_CAPTURE(PeakMemoryPerAnswerByte, TinyRows, kTiny)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PeakMemoryPerAnswerByte, RealisticRows, kRealistic)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
