#include "support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace testing_support {

SimProcess::SimProcess(const std::string& path, const std::string& address,
                       const std::vector<std::string>& arguments) {
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) {
    banner_ = "pipe failed";
    return;
  }
  std::vector<std::string> texts{path, "--address", address};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  pid_t parent = getpid();
  child_ = fork();
  if (child_ == 0) {
    // A test that dies must not leave its server behind.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(125);
    dup2(output[1], 1);
    int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, 2);
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(output[1]);
  output_ = output[0];
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (banner_.find('\n') == std::string::npos) {
    int waitMs =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                             deadline - std::chrono::steady_clock::now())
                             .count());
    pollfd watched{output_, POLLIN, 0};
    if (waitMs <= 0 || poll(&watched, 1, waitMs) <= 0) break;
    char buffer[256];
    ssize_t got = read(output_, buffer, sizeof buffer);
    if (got <= 0) break;
    banner_.append(buffer, static_cast<std::size_t>(got));
  }
  listening_ = banner_.find("pelk-sim listening on " + address + " ") !=
               std::string::npos;
}

SimProcess::~SimProcess() {
  if (child_ > 0) {
    kill(child_, SIGTERM);
    waitpid(child_, nullptr, 0);
  }
  if (output_ >= 0) close(output_);
}

}  // namespace testing_support
