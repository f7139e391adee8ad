#include "demo_session.h"

#include <sstream>

#include "sim_log.h"

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
  return operationsInLog(sim.requestLog(), withLists);
}

}  // namespace e2e
