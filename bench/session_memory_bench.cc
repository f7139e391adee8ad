// The resident size of a long session: pelk lists 100,000 objects of each
// of the 13 kinds SHOW lists, from a server that answers every list with
// that many, and then runs 10,000 further commands: options, help, lines
// that fail, comments, and every 500th a detail of an object, which lists
// its kind again. The size after the first 1,000 commands and after all
// 11,000 must be the same within a few MiB: nothing the session keeps may
// grow with the commands it runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "list_server.h"
#include "process_peak.h"
#include "support/loopback.h"

namespace {

const std::string kAddress = testing_support::loopbackAddress(1);
constexpr int kObjects = 100000;
constexpr int kFirstCommands = 1000;
constexpr int kFurtherCommands = 10000;

// The SHOW keyword of each kind with the element type of its requests.
struct Kind {
  const char* keyword;
  const char* elementType;
};
const Kind kKinds[] = {
    {"SYSTEM", "Element"},
    {"DISK", "Disk"},
    {"DISK_EVENT", "DiskEvents"},
    {"DISK_GROUP", "DiskGroup"},
    {"DR_GROUP", "drmgroup"},
    {"FOLDER", "Folder"},
    {"HOST", "StorageClient"},
    {"LUN", "PresentedUnit"},
    {"MANAGEMENT_EVENT", "ManagementEvents"},
    {"MONITOR", "Monitor"},
    {"POWER", "Power"},
    {"VDISK", "Storage"},
    {"WORLD_WIDE_NAME", "WorldWideNames"},
};

std::string objectName(const std::string& elementType, int row) {
  char name[64];
  std::snprintf(name, sizeof name, "%s-%06d", elementType.c_str(), row);
  return name;
}

// Lists for the kinds; any other request (a detail) gets a short answer.
std::string answerFor(const std::string& elementType) {
  if (elementType.empty()) {
    return "<SOAP:Envelope>\n<SOAP:Body>\n<Name>detail</Name>\n"
           "<Comments>an object</Comments>\n</SOAP:Body>\n</SOAP:Envelope>\n";
  }
  return bench_support::listPayload(
      kObjects, [&](int row) { return objectName(elementType, row); },
      [](int row) {
        char id[32];
        std::snprintf(id, sizeof id, "%016X", row);
        return std::string(id);
      });
}

// Commands that ask the server nothing, and one in 500 that shows an
// object (its kind listed again first).
std::vector<std::string> furtherCommands(int count) {
  const std::vector<std::string> local = {"SHOW OPTIONS",
                                          "SET OPTIONS DISPLAY_WIDTH=120",
                                          "SET OPTIONS DISPLAY_WIDTH=80",
                                          "HELP SHOW",
                                          "SHOW NOTHING_HERE",
                                          "! a comment",
                                          "SET OPTIONS COMMAND_DELAY=0",
                                          "SHOW"};
  std::vector<std::string> commands;
  for (int i = 0; i < count; ++i) {
    if (i % 500 == 499) {
      commands.push_back("SHOW VDISK " + objectName("Storage", i % kObjects));
    } else {
      commands.push_back(local[static_cast<std::size_t>(i) % local.size()]);
    }
  }
  return commands;
}

void ResidentSizeOfALongSession(benchmark::State& state) {
  bench_support::ListServer server(kAddress, answerFor);
  if (!server.listening()) {
    state.SkipWithError("cannot listen");
    return;
  }
  std::vector<std::string> first = {
      "SET OPTIONS NOCOMMAND_DELAY",
      std::string("SELECT MANAGER ") + kAddress +
          " USERNAME=administrator PASSWORD=admin",
      "SHOW SYSTEM", "SELECT SYSTEM " + objectName("Element", 0)};
  for (const Kind& kind : kKinds) {
    first.push_back(std::string("SHOW ") + kind.keyword);
  }
  std::vector<std::string> more =
      furtherCommands(kFirstCommands - static_cast<int>(first.size()) - 1);
  first.insert(first.end(), more.begin(), more.end());
  // The marker: an answer none of the other commands prints.
  first.push_back("SHOW MANAGER");
  std::vector<std::string> further = furtherCommands(kFurtherCommands - 1);
  further.push_back("SHOW MANAGER");
  const std::string marker = "\nManager IP address";

  double afterFirst = -1;
  double afterAll = -1;
  for (auto _ : state) {
    bench_support::DrivenProgram pelk(PELK_BINARY);
    if (!pelk.run(first, marker)) break;
    afterFirst = pelk.residentMiB();
    if (!pelk.run(further, marker)) break;
    afterAll = pelk.residentMiB();
  }
  if (afterFirst < 0 || afterAll < 0) {
    state.SkipWithError("pelk did not answer");
    return;
  }
  state.counters["objects"] = kObjects * static_cast<double>(std::size(kKinds));
  state.counters["rss_after_first_mib"] = afterFirst;
  state.counters["rss_after_all_mib"] = afterAll;
  state.counters["growth_mib"] = afterAll - afterFirst;
}
BENCHMARK(ResidentSizeOfALongSession)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
