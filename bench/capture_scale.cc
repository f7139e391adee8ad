// CAPTURE CONFIGURATION of a system with 2,000 virtual disks, 500 hosts and
// 4,000 LUNs, and of one four times that size: the capture's time and
// requests per object must stay flat from 1x to 4x.
//
// CaptureScale runs against pelk-sim. Beside each capture the very
// requests it sent (read back from the request trace of a first, untimed
// run) are sent again on their own, with nothing parsed or written, so
// "ratio" is the capture's time over the time its round trips take alone,
// measured side by side in one run (the median of the iterations' ratios).
// The simulator looks objects up one by one, so its own time per request
// grows with the system, and with it the wall time per object of both.
//
// CaptureRecordedAnswers therefore runs the same capture once more against
// a loopback server that hands out the simulator's recorded answers in
// order, at the same cost for any size: there the time per object is the
// shell's and the client library's alone.
//
// CaptureScale also runs pelk once as a program of its own for the same
// capture, and once for a session that only selects the manager: the peak
// resident memory of each.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "client/emclient_api.h"
#include "loopback_server.h"
#include "platform/clock.h"
#include "process_peak.h"
#include "session/session.h"
#include "session/tracked_memory.h"
#include "shell/execute_line.h"
#include "support/loopback.h"
#include "support/run_program.h"

namespace {

const std::string kSimAddress = testing_support::loopbackAddress(1);
const std::string kLoopbackAddress = testing_support::loopbackAddress(2);
constexpr int kVdisks = 2000;
constexpr int kHosts = 500;
constexpr int kLunsPerVdisk = 2;
constexpr int kFolders = 20;

// The scaled system: virtual disks spread over folders, each presented to
// two hosts, every host with one adapter.
std::string scenario(int scale) {
  int vdisks = kVdisks * scale;
  int hosts = kHosts * scale;
  std::string text = R"({"manager": {"version": "3.2", "build": "3.2.0117",
    "users": [{"name": "administrator", "password": "admin"}]},
    "clock": 1767225600, "systems": [{"name": "Scale",
    "wwn": "5000-1FE1-5000-0160",
    "disk_shelves": [{"count": 24, "type": "Online", "capacity_gb": 100000}],
    "disk_groups": [{"name": "\\Disk Groups\\Default Disk Group",
      "disks": 24, "spare_policy": "Single", "disk_type": "Online",
      "occupancy_alarm": 95}], "folders": [)";
  char buffer[256];
  for (int f = 0; f < kFolders; ++f) {
    std::snprintf(buffer, sizeof buffer,
                  "%s{\"path\": \"\\\\Virtual Disks\\\\F%02d\\\\\"}",
                  f == 0 ? "" : ",", f);
    text += buffer;
  }
  text += R"(], "hosts": [)";
  for (int h = 0; h < hosts; ++h) {
    std::snprintf(buffer, sizeof buffer,
                  "%s{\"name\": \"\\\\Hosts\\\\host%05d\", \"os\": \"ORDAN\", "
                  "\"ports\": [\"1000-0000-%04X-%04X\"]}",
                  h == 0 ? "" : ",", h, h >> 16, h & 0xffff);
    text += buffer;
  }
  text += R"(], "vdisks": [)";
  for (int v = 0; v < vdisks; ++v) {
    std::snprintf(
        buffer, sizeof buffer,
        "%s{\"name\": \"\\\\Virtual Disks\\\\F%02d\\\\vd%05d\\\\ACTIVE\", "
        "\"group\": \"\\\\Disk Groups\\\\Default Disk Group\", "
        "\"size_gb\": 1, \"redundancy\": \"Vraid0\"}",
        v == 0 ? "" : ",", v % kFolders, v);
    text += buffer;
  }
  text += R"(], "luns": [)";
  std::vector<int> nextLun(hosts, 1);
  for (int v = 0; v < vdisks; ++v) {
    for (int n = 0; n < kLunsPerVdisk; ++n) {
      int host = (v * kLunsPerVdisk + n) % hosts;
      std::snprintf(
          buffer, sizeof buffer,
          "%s{\"lun\": %d, \"host\": \"\\\\Hosts\\\\host%05d\", "
          "\"vdisk\": \"\\\\Virtual Disks\\\\F%02d\\\\vd%05d\\\\ACTIVE\"}",
          v == 0 && n == 0 ? "" : ",", nextLun[host]++, host, v % kFolders, v);
      text += buffer;
    }
  }
  text += "]}]}";
  return text;
}

// pelk-sim loading the scenario. It reads a large scenario slowly (its
// loader is not linear in the objects), so this waits for it longer than
// the tests' helper does.
class ScaleSim {
 public:
  explicit ScaleSim(const std::string& scenarioPath) {
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) return;
    pid_t parent = getpid();
    child_ = fork();
    if (child_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(125);
      dup2(output[1], 1);
      execl(PELK_SIM_BINARY, PELK_SIM_BINARY, "--address", kSimAddress.c_str(),
            "--scenario", scenarioPath.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(output[1]);
    pollfd watched{output[0], POLLIN, 0};
    char buffer[256];
    listening_ = poll(&watched, 1, kStartTimeoutMs) > 0 &&
                 read(output[0], buffer, sizeof buffer) > 0;
    close(output[0]);
  }
  ~ScaleSim() {
    if (child_ <= 0) return;
    kill(child_, SIGTERM);
    waitpid(child_, nullptr, 0);
  }
  bool listening() const { return listening_; }

 private:
  static constexpr int kStartTimeoutMs = 600000;
  pid_t child_ = -1;
  bool listening_ = false;
};

// One session of the shell, as main builds it.
struct Session {
  session::CommandContext* context;

  Session() {
    context =
        session::trackedNew<session::CommandContext>("quill_main", __LINE__);
    context->session =
        session::trackedNew<session::SessionState>("quill_main", __LINE__);
    session::sessionOptions.commandDelay = 0;
  }
  ~Session() { session::releaseAll(); }

  void run(const std::string& line) {
    std::string copy = line;
    shell::executeLine(*context, copy.data(), copy.size(), false);
  }
};

// The requests of a run and the answers they got, in order.
struct Recording {
  std::vector<std::string> requests;
  std::vector<std::string> answers;
};

// Reads the requests and answers back from a request trace.
Recording recordingOf(const std::string& trace) {
  const std::string sent = "\nSend SOAP command:++++++++++++++++++++\n\n*****";
  const std::string answered = "\nSOAP response:--------------------";
  const std::string length = "\nLength of buffer = ";
  Recording recording;
  for (std::size_t at = trace.find(sent); at != std::string::npos;
       at = trace.find(sent, at)) {
    at += sent.size();
    std::size_t end = trace.find("*****\n\n", at);
    recording.requests.push_back(trace.substr(at, end - at));
    at = trace.find(answered, end);
    if (at == std::string::npos) break;
    at = trace.find(length, at) + length.size();
    std::size_t size = std::strtoul(trace.c_str() + at, nullptr, 10);
    at = trace.find("*****", at) + 5;
    recording.answers.push_back(trace.substr(at, size));
    at += size;
  }
  return recording;
}

// The capture as the benchmarks run it: the system is selected anew each
// time, so every run sends the same requests from the first.
std::string captureLine(const std::string& directory) {
  return "CAPTURE CONFIGURATION " + directory + "/scale.txt";
}

void runCapture(Session& session, const std::string& directory) {
  session.run("SELECT SYSTEM Scale");
  session.run(captureLine(directory));
}

// The step files of the last run, so the next one is not asked whether to
// overwrite them.
void removeStepFiles(const std::string& directory) {
  for (const char* step : {"Step1A", "Step1B", "Step1C", "Step2", "Step3"}) {
    std::remove((directory + "/scale_" + step + ".txt").c_str());
  }
}

// Wall and processor time of a piece of work, in milliseconds.
struct Spent {
  double wallMs = 0;
  double cpuMs = 0;
};

template <typename Work>
void measure(Spent& spent, Work work) {
  uint32_t started = platform::clock().tickCount();
  std::clock_t cpuStarted = std::clock();
  work();
  spent.cpuMs += (std::clock() - cpuStarted) * 1000.0 / CLOCKS_PER_SEC;
  spent.wallMs += platform::clock().tickCount() - started;
}

void sendAll(const std::vector<std::string>& requests) {
  for (const std::string& request : requests) {
    char* response = nullptr;
    int length = 0;
    EMClientAPITNGSendRequest(request.c_str(), &response, &length, 0);
    std::free(response);
  }
}

double objectsAt(int scale) {
  return (kVdisks + kHosts + kVdisks * kLunsPerVdisk) * scale;
}

// Captures and bare replays, alternated; the counters per object.
template <typename Capture, typename Replay>
void measureRuns(benchmark::State& state, double objects, std::size_t requests,
                 Capture capture, Replay replay) {
  Spent captureSpent;
  Spent bareSpent;
  std::vector<double> ratios;
  for (auto _ : state) {
    Spent captureOnce;
    Spent bareOnce;
    measure(captureOnce, capture);
    state.PauseTiming();
    measure(bareOnce, replay);
    state.ResumeTiming();
    for (auto [total, once] : {std::pair{&captureSpent, &captureOnce},
                               std::pair{&bareSpent, &bareOnce}}) {
      total->wallMs += once->wallMs;
      total->cpuMs += once->cpuMs;
    }
    ratios.push_back(captureOnce.wallMs / bareOnce.wallMs);
  }
  double perObject = 1000.0 / static_cast<double>(state.iterations()) / objects;
  state.counters["objects"] = objects;
  state.counters["requests_per_object"] = requests / objects;
  state.counters["us_per_object"] = captureSpent.wallMs * perObject;
  state.counters["bare_us_per_object"] = bareSpent.wallMs * perObject;
  // The median of the iterations' ratios: the one a busy moment of a shared
  // machine falls on does not decide it.
  std::sort(ratios.begin(), ratios.end());
  std::size_t middle = ratios.size() / 2;
  state.counters["ratio"] = ratios.size() % 2 == 1
                                ? ratios[middle]
                                : (ratios[middle - 1] + ratios[middle]) / 2;
  state.counters["cpu_us_per_object"] = captureSpent.cpuMs * perObject;
  state.counters["bare_cpu_us_per_object"] = bareSpent.cpuMs * perObject;
}

// What CaptureScale recorded at each size, for CaptureRecordedAnswers.
std::map<int, Recording>& recordings() {
  static std::map<int, Recording> kept;
  return kept;
}

void CaptureScale(benchmark::State& state) {
  int scale = static_cast<int>(state.range(0));
  testing_support::ScratchDirectory files;
  std::string path = files.write("scenario.json", scenario(scale));
  ScaleSim sim(path);
  if (!sim.listening()) {
    state.SkipWithError("pelk-sim did not start");
    return;
  }
  EMClientAPITNGSetWaitForever(1);
  Session session;
  std::FILE* quiet = std::fopen("/dev/null", "w");
  session::outputStream = quiet;
  session.run(std::string("SELECT MANAGER ") + kSimAddress +
              " USERNAME=administrator PASSWORD=admin");

  // A first run with the request trace on records what a capture sends.
  char* traced = nullptr;
  std::size_t tracedSize = 0;
  std::FILE* trace = open_memstream(&traced, &tracedSize);
  session::outputStream = trace;
  session.context->session->sessionFlags |= session::kDump;
  runCapture(session, files.path());
  session.context->session->sessionFlags &= ~session::kDump;
  std::fclose(trace);
  Recording recording = recordingOf(std::string(traced, tracedSize));
  std::free(traced);
  session::outputStream = quiet;
  removeStepFiles(files.path());

  measureRuns(
      state, objectsAt(scale), recording.requests.size(),
      [&] { runCapture(session, files.path()); },
      [&] {
        removeStepFiles(files.path());
        sendAll(recording.requests);
      });
  session::outputStream = stdout;
  std::fclose(quiet);
  recordings()[scale] = std::move(recording);

  removeStepFiles(files.path());
  const std::vector<std::string> start = {
      "SET OPTIONS NOCOMMAND_DELAY",
      std::string("SELECT MANAGER ") + kSimAddress +
          " USERNAME=administrator PASSWORD=admin"};
  std::vector<std::string> capture = start;
  capture.push_back("SELECT SYSTEM Scale");
  capture.push_back(captureLine(files.path()));
  state.counters["pelk_capture_peak_mib"] = bench_support::peakMemoryMiB(
      PELK_BINARY, capture, "SHOW OPTIONS", "\nOptions:");
  state.counters["pelk_idle_peak_mib"] = bench_support::peakMemoryMiB(
      PELK_BINARY, start, "SHOW OPTIONS", "\nOptions:");
}
BENCHMARK(CaptureScale)
    ->Arg(1)
    ->Arg(4)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void CaptureRecordedAnswers(benchmark::State& state) {
  int scale = static_cast<int>(state.range(0));
  auto recorded = recordings().find(scale);
  if (recorded == recordings().end()) {
    state.SkipWithError("CaptureScale records the answers; run it first");
    return;
  }
  const Recording& recording = recorded->second;
  std::vector<std::string> answers;
  for (const std::string& answer : recording.answers) {
    answers.push_back(emclient_test::textTransportAnswer(answer));
  }
  // The same requests, addressed to the loopback server.
  std::vector<std::string> requests = recording.requests;
  const std::string simHost = std::string("Host:") + kSimAddress + ":";
  for (std::string& request : requests) {
    std::size_t host = request.find(simHost);
    if (host != std::string::npos) {
      request.replace(host, simHost.size(),
                      std::string("Host:") + kLoopbackAddress + ":");
    }
  }
  std::atomic<std::size_t> next{0};
  emclient_test::LoopbackServer server(kLoopbackAddress, 12301);
  server.start([&](int descriptor) {
    for (;;) {
      std::string request = emclient_test::readHttpRequest(descriptor);
      if (request.empty()) return;
      emclient_test::writeAll(descriptor, answers[next++ % answers.size()]);
    }
  });
  testing_support::ScratchDirectory files;
  EMClientAPITNGSetWaitForever(1);
  Session session;
  std::FILE* quiet = std::fopen("/dev/null", "w");
  session::outputStream = quiet;
  session.run(std::string("SELECT MANAGER ") + kLoopbackAddress +
              " USERNAME=administrator PASSWORD=admin");
  measureRuns(
      state, objectsAt(scale), requests.size(),
      [&] {
        next = 0;
        runCapture(session, files.path());
      },
      [&] {
        removeStepFiles(files.path());
        next = 0;
        sendAll(requests);
      });
  session::outputStream = stdout;
  std::fclose(quiet);
}
BENCHMARK(CaptureRecordedAnswers)
    ->Arg(1)
    ->Arg(4)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
