#include "sim_server.h"

#include <fstream>
#include <sstream>

#include "pelk_runner.h"
#include "sim_log.h"

namespace e2e {
namespace {

std::string managerLine(const SimServer& server) {
  return "SELECT MANAGER " + server.address() +
         " USERNAME=administrator PASSWORD=admin";
}

std::vector<std::string> withLog(std::vector<std::string> arguments,
                                 const std::string& logPath) {
  arguments.insert(arguments.begin(), {"--log", logPath});
  return arguments;
}

}  // namespace

SimServer::SimServer(const std::string& address,
                     const std::vector<std::string>& arguments)
    : address_(address),
      logPath_(scratch_.path() + "/requests.log"),
      process_(PELK_SIM_BINARY, address, withLog(arguments, logPath_)) {}

std::vector<std::string> operationsInLog(const std::string& text,
                                         bool withLists) {
  std::vector<std::string> operations;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    // "12301 POST /zorbridge administrator Create ...": the operation
    // starts after the fourth blank.
    std::size_t start = 0;
    for (int blank = 0; blank < 4 && start != std::string::npos; ++blank) {
      start = line.find(' ', start);
      if (start != std::string::npos) ++start;
    }
    // Logins and control requests carry no property list.
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

std::vector<std::string> SimServer::takeOperations(bool withLists) {
  std::ifstream file(logPath_);
  std::stringstream contents;
  contents << file.rdbuf();
  std::string text = contents.str().substr(logConsumed_);
  logConsumed_ += text.size();
  return operationsInLog(text, withLists);
}

SessionRun runAgainst(const SimServer& server,
                      const std::vector<std::string>& lines,
                      const std::string& input) {
  std::vector<std::string> arguments{"SET OPTIONS NOCOMMAND_DELAY",
                                     managerLine(server)};
  arguments.insert(arguments.end(), lines.begin(), lines.end());
  testing_support::ProgramRun run =
      runArguments(arguments, input, server.directory());
  std::string preamble = kBanner + echo(arguments[0]) + echo(arguments[1]);
  SessionRun session{run.output, run.exitStatus};
  if (session.output.starts_with(preamble)) {
    session.output.erase(0, preamble.size());
  }
  return session;
}

}  // namespace e2e
