// The simulator's command line.
#pragma once

#include <string>
#include <vector>

#include "sim/faults.h"
#include "sim/server.h"

namespace sim {

struct Options {
  ServerOptions server;
  std::string scenarioFile;  // empty: the demo, or nothing
  bool demo = false;
  std::string saveFile;        // written when the simulator stops
  std::string logFile;         // "-" for standard error
  bool logProperties = false;  // each operation's properties in its log line
  bool controlShowsSecrets = false;  // passwords in GET /sim/state
  std::vector<FaultSpec> faults;
  bool help = false;
};

// Reads the arguments. False, with `error` set, on anything it does not know.
bool ParseOptions(int argc, const char* const* argv, Options& options,
                  std::string& error);

std::string HelpText();

}  // namespace sim
