#include "process_peak.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <initializer_list>

namespace bench_support {
namespace {

constexpr int kAnswerTimeoutMs = 600000;

// A field of the program's status in KiB, as MiB. A child's resource usage
// would not do for the high-water mark: it keeps the larger resident size
// of the process it was forked from.
double statusMiB(pid_t process, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  std::string word;
  while (status >> word) {
    if (word == field) {
      double kib = -1;
      status >> kib;
      return kib / 1024.0;
    }
  }
  return -1;
}

void closeAll(std::initializer_list<int> descriptors) {
  for (int descriptor : descriptors) {
    if (descriptor >= 0) close(descriptor);
  }
}

}  // namespace

DrivenProgram::DrivenProgram(const std::string& program) {
  int input[2], output[2];
  if (pipe2(input, O_CLOEXEC) != 0) return;
  if (pipe2(output, O_CLOEXEC) != 0) {
    closeAll({input[0], input[1]});
    return;
  }
  child_ = fork();
  if (child_ < 0) {
    closeAll({input[0], input[1], output[0], output[1]});
    return;
  }
  if (child_ == 0) {
    dup2(input[0], 0);
    dup2(output[1], 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input[0]);
  close(output[1]);
  signal(SIGPIPE, SIG_IGN);
  input_ = input[1];
  output_ = output[0];
  fcntl(input_, F_SETFL, fcntl(input_, F_GETFL) | O_NONBLOCK);
}

DrivenProgram::~DrivenProgram() {
  if (input_ >= 0) close(input_);
  if (output_ >= 0) {
    char drain[65536];
    while (read(output_, drain, sizeof drain) > 0) {
    }
    close(output_);
  }
  if (child_ > 0) waitpid(child_, nullptr, 0);
}

// Typing and reading go on together: a program that prints much would
// otherwise stop on a full pipe while its input is still being typed.
bool DrivenProgram::run(const std::vector<std::string>& lines,
                        const std::string& marker) {
  if (child_ <= 0) return false;
  std::string typed;
  for (const std::string& line : lines) typed += line + "\n";
  std::size_t written = 0;
  std::string seen;
  char buffer[65536];
  while (written < typed.size() || seen.find(marker) == std::string::npos) {
    pollfd watched[2] = {{output_, POLLIN, 0},
                         {written < typed.size() ? input_ : -1, POLLOUT, 0}};
    if (poll(watched, 2, kAnswerTimeoutMs) <= 0) return false;
    if (watched[1].revents & (POLLOUT | POLLERR | POLLHUP)) {
      ssize_t put =
          write(input_, typed.data() + written, typed.size() - written);
      if (put < 0) return false;
      written += static_cast<std::size_t>(put);
    }
    if (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      ssize_t got = read(output_, buffer, sizeof buffer);
      if (got <= 0) return false;
      // Output from before the last line is typed cannot hold its answer.
      if (written < typed.size()) continue;
      seen.append(buffer, static_cast<std::size_t>(got));
      // Only the tail can still hold the start of `marker`.
      if (seen.size() > marker.size() + sizeof buffer) {
        seen.erase(0, seen.size() - marker.size() - sizeof buffer);
      }
    }
  }
  return true;
}

double DrivenProgram::residentMiB() const {
  return child_ > 0 ? statusMiB(child_, "VmRSS:") : -1;
}

double DrivenProgram::highWaterMiB() const {
  return child_ > 0 ? statusMiB(child_, "VmHWM:") : -1;
}

double peakMemoryMiB(const std::string& program,
                     const std::vector<std::string>& lines,
                     const std::string& lastLine,
                     const std::string& lastOutput) {
  DrivenProgram driven(program);
  std::vector<std::string> typed = lines;
  typed.push_back(lastLine);
  return driven.run(typed, lastOutput) ? driven.highWaterMiB() : -1;
}

}  // namespace bench_support
