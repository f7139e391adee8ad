// Sessions of build/pelk against a pelk-sim of their own started from the
// demo scenario, whose request log lists each operation's properties: what
// the object-command tests compare.
#pragma once

#include <string>
#include <vector>

#include "request_sim_session.h"

namespace e2e {

// The simulator's arguments: the demo scenario, properties in the log.
inline const std::vector<std::string> kDemo = {"--demo", "--log-properties"};

struct SessionRun {
  std::string output;  // from the echo of the first line on
  int exitStatus;
};

// Runs build/pelk with `lines` as program arguments, after SET OPTIONS
// NOCOMMAND_DELAY and SELECT MANAGER of the simulator as the demo's
// administrator; the output of those two is left out. The client's files
// go to `directory`, or to a scratch directory of the run's own.
SessionRun runDemo(const SimSession& sim, const std::vector<std::string>& lines,
                   const std::string& directory = "");

// The operations the simulator served, one per line, without the port,
// path and user in front ("Create Storage [Name=\"v\" ...] -> ok"). List
// requests (a Get with an empty ID) are left out unless asked for: every
// lookup makes one.
std::vector<std::string> servedOperations(const SimSession& sim,
                                          bool withLists = false);

}  // namespace e2e
