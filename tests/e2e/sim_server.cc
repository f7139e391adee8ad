#include "sim_server.h"

#include "sim_log.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "pelk_runner.h"

namespace e2e {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr char kListening[] = "pelk-sim listening on ";

// Reads the child's standard output until it says it listens.
bool waitUntilListening(int descriptor) {
  std::string seen;
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(kStartTimeoutMs);
  while (seen.find('\n') == std::string::npos) {
    int waitMs =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                             deadline - std::chrono::steady_clock::now())
                             .count());
    pollfd watched{descriptor, POLLIN, 0};
    if (waitMs <= 0 || poll(&watched, 1, waitMs) <= 0) return false;
    char buffer[256];
    ssize_t got = read(descriptor, buffer, sizeof buffer);
    if (got <= 0) return false;
    seen.append(buffer, static_cast<std::size_t>(got));
  }
  return seen.starts_with(kListening);
}

std::string managerLine(const SimServer& server) {
  return "SELECT MANAGER " + server.address() +
         " USERNAME=administrator PASSWORD=admin";
}

}  // namespace

SimServer::SimServer(const std::string& address,
                     const std::vector<std::string>& arguments)
    : address_(address), logPath_(scratch_.path() + "/requests.log") {
  std::vector<std::string> texts{PELK_SIM_BINARY, "--address", address, "--log",
                                 logPath_};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return;
  process_ = fork();
  if (process_ == 0) {
    dup2(output[1], 1);
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(output[1]);
  listening_ = process_ > 0 && waitUntilListening(output[0]);
  close(output[0]);
}

SimServer::~SimServer() {
  if (process_ <= 0) return;
  kill(process_, SIGTERM);
  int status = 0;
  waitpid(process_, &status, 0);
}

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
