// A session nobody watches, ended by a signal while the server keeps it
// waiting: it ends at once, with its output so far, a line saying why,
// status 128 + the signal number, and no incomplete file left behind.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>

#include "json_lines.h"
#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;
using testing_support::ScratchDirectory;

const std::string kOptions =
    "\nOptions:\n    NOCOMMAND_DELAY\n    DISPLAY_WIDTH = 80"
    "\n    ON_ERROR = CONTINUE\n    RETRIES = 4 (minutes)\n    SAFE_DELETE";

std::size_t loggedRequests(const SimSession& sim) {
  std::string log = sim.requestLog();
  return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
}

std::set<std::string> filesIn(const std::string& directory) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Runs pelk with `arguments` in `directory` and sends `signal` once the
// simulator has logged `requests` requests.
testing_support::ProgramRun runUntilSignalled(
    const SimSession& sim, const std::vector<std::string>& arguments,
    const std::string& directory, int signal, std::size_t requests) {
  testing_support::ProgramOptions options;
  options.arguments = arguments;
  options.directory = directory;
  // Left alone, the stalled request would wait for ever.
  options.timeoutSeconds = 10;
  options.signal = signal;
  options.signalWhen = [&sim, requests] {
    return loggedRequests(sim) >= requests;
  };
  return testing_support::runProgram(PELK_BINARY, options);
}

TEST(Signals, EndAScriptStalledOnTheServerWithItsOutputSoFar) {
  SimSession sim(loopbackAddress(130), kRequestScenario,
                 {"--fault", "stall:*"});
  REQUIRE_SIM(sim);
  ScratchDirectory scratch;
  scratch.write("job.pelk", "SHOW OPTIONS\nSHOW SYSTEM\nSHOW OPTIONS\n");
  const struct {
    int signal;
    const char* text;
  } cases[] = {
      {SIGTERM, "15 (Terminated)"},
      {SIGHUP, "1 (Hangup)"},
      // Without a prompt at a terminal Ctrl-C ends the session too.
      {SIGINT, "2 (Interrupt)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signal);
    auto run = runUntilSignalled(
        sim, withManager(sim.address(), {"FILE job.pelk", "SHOW OPTIONS"}),
        scratch.path(), c.signal, loggedRequests(sim) + 1);
    EXPECT_OUTPUT(managerEcho(sim.address()) + echo("FILE job.pelk") +
                      echo("SHOW OPTIONS") + kOptions + echo("SHOW SYSTEM") +
                      "\nError: Session ended by signal " + c.text,
                  run.output);
    EXPECT_EQ(128 + c.signal, run.exitStatus);
    EXPECT_FALSE(run.timedOut);
  }
}

// A job reads why each line the signal cut short failed: the line that
// waited and every FILE line around it.
TEST(Signals, EveryLineASignalCutShortSaysWhy) {
  SimSession sim(loopbackAddress(132), kRequestScenario,
                 {"--fault", "stall:*"});
  REQUIRE_SIM(sim);
  ScratchDirectory scratch;
  scratch.write("job.pelk", "SHOW OPTIONS\nSHOW SYSTEM\nSHOW OPTIONS\n");
  scratch.write("outer.pelk", "FILE job.pelk\n");
  std::vector<std::string> arguments = withManager(
      sim.address(), {"SET OPTIONS NOCOMMAND_DELAY", "FILE outer.pelk"});
  arguments.insert(arguments.begin(), "--json");
  auto run = runUntilSignalled(sim, arguments, scratch.path(), SIGTERM,
                               loggedRequests(sim) + 1);
  std::vector<Json> lines = jsonLines(run.output);
  std::vector<std::string> failed;
  for (const Json& line : lines) {
    if (line["ok"] == true) continue;
    failed.push_back(line["command"]);
    EXPECT_EQ("Error: Session ended by signal 15 (Terminated)", line["error"]);
  }
  EXPECT_EQ((std::vector<std::string>{"SHOW SYSTEM", "FILE job.pelk",
                                      "FILE outer.pelk"}),
            failed);
  EXPECT_EQ(143, run.exitStatus);
}

// Killed while a request waits, a job has still written what came before:
// the output is pushed out once a wait lasts, and a capture's progress
// marks as they are made, though each answer takes less than that wait.
TEST(Signals, OutputSoFarIsWrittenWhileARequestWaits) {
  const struct {
    const char* fault;
    std::vector<std::string> lines;
    std::size_t requests;  // the wait to kill in
    std::string written;   // found in the output
  } cases[] = {
      {"stall:*",
       {"SHOW OPTIONS", "SHOW SYSTEM"},
       1,
       echo("SHOW OPTIONS") + kOptions + echo("SHOW SYSTEM")},
      {"delay:*:100",
       {"SELECT SYSTEM Alpha", "CAPTURE CONFIGURATION cap.txt"},
       6,
       "\nGenerating file cap_Step1A.txt\n.."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    SimSession sim(loopbackAddress(133), kRequestScenario,
                   {"--fault", c.fault});
    REQUIRE_SIM(sim);
    ScratchDirectory scratch;
    testing_support::ProgramOptions options;
    options.arguments = withManager(sim.address(), c.lines);
    options.directory = scratch.path();
    options.signal = SIGKILL;
    std::size_t wanted = loggedRequests(sim) + c.requests;
    auto since = std::chrono::steady_clock::time_point::max();
    // Well past the first wait of the request the kill comes in.
    options.signalWhen = [&] {
      auto now = std::chrono::steady_clock::now();
      if (since == std::chrono::steady_clock::time_point::max() &&
          loggedRequests(sim) >= wanted) {
        since = now;
      }
      return now - since > std::chrono::milliseconds(800);
    };
    auto run = testing_support::runProgram(PELK_BINARY, options);
    EXPECT_NE(std::string::npos, run.output.find(c.written))
        << testing_support::escaped(run.output);
    EXPECT_FALSE(run.timedOut);
  }
}

// Every answer comes late, so the signal finds the capture at work.
TEST(Signals, LeaveNoIncompleteCaptureStepOrReference) {
  SimSession sim(loopbackAddress(131), kRequestScenario,
                 {"--fault", "delay:*:300"});
  REQUIRE_SIM(sim);
  const struct {
    std::vector<std::string> lines;
    std::string said;
  } cases[] = {
      {{"SELECT SYSTEM Alpha", "CAPTURE CONFIGURATION cap.txt"},
       "\n    CAPTURE CONFIGURATION Step1A failed"},
      {{"REGRESSION CAPTURE ref.txt", "SELECT SYSTEM Alpha", "SHOW VDISK"},
       "\nRegression capture ended; incomplete ref.txt deleted"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.back());
    ScratchDirectory scratch;
    // The selection's request, then one of the command's own.
    auto run =
        runUntilSignalled(sim, withManager(sim.address(), c.lines),
                          scratch.path(), SIGTERM, loggedRequests(sim) + 2);
    EXPECT_NE(std::string::npos, run.output.find(c.said)) << run.output;
    EXPECT_EQ(143, run.exitStatus);
    EXPECT_EQ(std::set<std::string>{}, filesIn(scratch.path()));
  }
}

// Killed outright while a capture step or a reference is being written,
// or by a file size limit whose signal it does not catch, a session can
// clean nothing up: the unfinished file must never have had a name.
TEST(Signals, AKilledSessionLeavesNoUnfinishedFile) {
  SimSession sim(loopbackAddress(219), kRequestScenario,
                 {"--fault", "delay:*:300"});
  REQUIRE_SIM(sim);
  for (const std::vector<std::string>& lines :
       {std::vector<std::string>{"SELECT SYSTEM Alpha",
                                 "CAPTURE CONFIGURATION cap.txt"},
        {"REGRESSION CAPTURE ref.txt", "SELECT SYSTEM Alpha", "SHOW VDISK"}}) {
    SCOPED_TRACE(lines.back());
    ScratchDirectory scratch;
    auto run =
        runUntilSignalled(sim, withManager(sim.address(), lines),
                          scratch.path(), SIGKILL, loggedRequests(sim) + 2);
    EXPECT_EQ(-1, run.exitStatus);
    EXPECT_EQ(std::set<std::string>{}, filesIn(scratch.path()));
  }

  ScratchDirectory scratch;
  testing_support::ProgramOptions options;
  options.arguments = {"-c", "exec prlimit --fsize=512 -- \"$0\" \"$@\"",
                       PELK_BINARY, "REGRESSION CAPTURE ref.txt", "HELP"};
  options.directory = scratch.path();
  auto run = testing_support::runProgram("/bin/sh", options);
  EXPECT_EQ(-1, run.exitStatus);
  EXPECT_EQ(std::set<std::string>{}, filesIn(scratch.path()));
}

}  // namespace
}  // namespace e2e
