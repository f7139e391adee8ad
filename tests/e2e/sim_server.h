// A pelk-sim process for one test, on a loopback address of its own with
// the real ports 12301 and 2301, logging every request it serves.
#pragma once

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/sim_process.h"

namespace e2e {

class SimServer {
 public:
  // Starts the simulator with `arguments` (the demo scenario by default)
  // and waits until it listens.
  explicit SimServer(const std::string& address,
                     const std::vector<std::string>& arguments = {"--demo"});
  bool listening() const { return process_.listening(); }
  const std::string& address() const { return address_; }
  // A directory for the client's files (its session file), removed with
  // the server.
  const std::string& directory() const { return scratch_.path(); }

  // The operations served since the last call, one per line, without the
  // port, path and user in front ("Create Storage [Name=\"v\" ...] -> ok").
  // List requests (a Get with an empty ID) are left out unless asked for:
  // every lookup makes one.
  std::vector<std::string> takeOperations(bool withLists = false);

 private:
  std::string address_;
  testing_support::ScratchDirectory scratch_;
  std::string logPath_;
  std::size_t logConsumed_ = 0;
  testing_support::SimProcess process_;
};

struct SessionRun {
  std::string output;  // from the echo of the first line on
  int exitStatus;
};

// Runs build/pelk against the server with `lines` as program arguments,
// after SET OPTIONS NOCOMMAND_DELAY and SELECT MANAGER of the server with
// the demo's administrator; the output of those two is left out.
SessionRun runAgainst(const SimServer& server,
                      const std::vector<std::string>& lines,
                      const std::string& input = "");

}  // namespace e2e
