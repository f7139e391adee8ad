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

// The high-water mark of the address space the program has now. A child's
// resource usage would not do: it keeps the larger resident size of the
// process it was forked from.
double highWaterMiB(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  std::string word;
  while (status >> word) {
    if (word == "VmHWM:") {
      double kib = -1;
      status >> kib;
      return kib / 1024.0;
    }
  }
  return -1;
}

bool writeAll(int descriptor, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    ssize_t written = write(descriptor, text.data() + done, text.size() - done);
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// Reads the output until `wanted` appears; false on end or timeout.
bool awaitOutput(int descriptor, const std::string& wanted) {
  std::string seen;
  char buffer[65536];
  pollfd watched{descriptor, POLLIN, 0};
  while (seen.find(wanted) == std::string::npos) {
    if (poll(&watched, 1, kAnswerTimeoutMs) <= 0) return false;
    ssize_t got = read(descriptor, buffer, sizeof buffer);
    if (got <= 0) return false;
    seen.append(buffer, static_cast<std::size_t>(got));
    // Only the tail can still hold the start of `wanted`.
    if (seen.size() > wanted.size() + sizeof buffer) {
      seen.erase(0, seen.size() - wanted.size() - sizeof buffer);
    }
  }
  return true;
}

void closeAll(std::initializer_list<int> descriptors) {
  for (int descriptor : descriptors) close(descriptor);
}

}  // namespace

double peakMemoryMiB(const std::string& program,
                     const std::vector<std::string>& lines,
                     const std::string& lastLine,
                     const std::string& lastOutput) {
  int input[2], output[2];
  if (pipe2(input, O_CLOEXEC) != 0) return -1;
  if (pipe2(output, O_CLOEXEC) != 0) {
    closeAll({input[0], input[1]});
    return -1;
  }
  pid_t child = fork();
  if (child < 0) {
    closeAll({input[0], input[1], output[0], output[1]});
    return -1;
  }
  if (child == 0) {
    dup2(input[0], 0);
    dup2(output[1], 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input[0]);
  close(output[1]);
  signal(SIGPIPE, SIG_IGN);
  std::string typed;
  for (const std::string& line : lines) typed += line + "\n";
  typed += lastLine + "\n";
  double peak = -1;
  if (writeAll(input[1], typed) && awaitOutput(output[0], lastOutput)) {
    peak = highWaterMiB(child);
  }
  close(input[1]);
  char drain[4096];
  while (read(output[0], drain, sizeof drain) > 0) {
  }
  close(output[0]);
  waitpid(child, nullptr, 0);
  return peak;
}

}  // namespace bench_support
