#include "demo_session.h"

#include <sstream>

namespace e2e {

SessionRun runDemo(const SimSession& sim, const std::vector<std::string>& lines,
                   const std::string& directory) {
  std::vector<std::string> arguments{
      "SET OPTIONS NOCOMMAND_DELAY",
      "SELECT MANAGER " + sim.address() +
          " USERNAME=administrator PASSWORD=admin"};
  arguments.insert(arguments.end(), lines.begin(), lines.end());
  testing_support::ScratchDirectory scratch;
  testing_support::ProgramRun run = runArguments(
      arguments, "", directory.empty() ? scratch.path() : directory);
  std::string preamble = kBanner + echo(arguments[0]) + echo(arguments[1]);
  SessionRun session{run.output, run.exitStatus};
  if (session.output.starts_with(preamble)) {
    session.output.erase(0, preamble.size());
  }
  return session;
}

std::vector<std::string> servedOperations(const SimSession& sim,
                                          bool withLists) {
  std::vector<std::string> operations;
  std::istringstream lines(sim.requestLog());
  for (std::string line; std::getline(lines, line);) {
    // "12301 POST /zorbridge administrator Create ...": the operation
    // starts after the fourth blank. Logins and control requests carry no
    // property list.
    std::size_t start = 0;
    for (int blank = 0; blank < 4 && start != std::string::npos; ++blank) {
      start = line.find(' ', start);
      if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos || line.find(" [") == std::string::npos) {
      continue;
    }
    std::string operation = line.substr(start);
    if (!withLists && operation.starts_with("Get ") &&
        operation.find(" [ID=\"\" ") != std::string::npos) {
      continue;
    }
    operations.push_back(operation);
  }
  return operations;
}

}  // namespace e2e
