#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

extern char** environ;

namespace testing_support {
namespace {

void setNonBlocking(int descriptor) {
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_NONBLOCK);
}

// The environment of the child: ours, with the settings given replacing
// those of the same name.
std::vector<std::string> childEnvironment(const ProgramOptions& options) {
  std::vector<std::string> settings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string_view setting(*entry);
    std::string_view name = setting.substr(0, setting.find('='));
    bool replaced =
        std::any_of(options.environment.begin(), options.environment.end(),
                    [name](const std::string& given) {
                      return given.compare(0, given.find('='), name) == 0;
                    });
    if (!replaced) settings.emplace_back(setting);
  }
  settings.insert(settings.end(), options.environment.begin(),
                  options.environment.end());
  return settings;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

// The child is spawned, not forked: copying a large test or benchmark
// process for each program would cost more than many programs' whole run
// and would count against the program in the benchmarks.
ProgramRun runProgram(const std::string& path, const ProgramOptions& options) {
  int input[2], output[2], errors[2];
  if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0 ||
      pipe2(errors, O_CLOEXEC) != 0) {
    return ProgramRun{"", "pipe failed", -1, false};
  }
  std::vector<std::string> argumentTexts{path};
  argumentTexts.insert(argumentTexts.end(), options.arguments.begin(),
                       options.arguments.end());
  std::vector<std::string> environmentTexts = childEnvironment(options);
  std::vector<char*> argv = pointersTo(argumentTexts);
  std::vector<char*> envp = pointersTo(environmentTexts);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
  if (!options.directory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.directory.c_str());
  }
  pid_t child = 0;
  int spawnError = posix_spawn(&child, path.c_str(), &actions, nullptr,
                               argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawnError != 0) {
    for (int descriptor :
         {input[0], input[1], output[0], output[1], errors[0], errors[1]}) {
      close(descriptor);
    }
    return ProgramRun{"", std::strerror(spawnError), 127, false};
  }
  close(input[0]);
  close(output[1]);
  close(errors[1]);
  signal(SIGPIPE, SIG_IGN);
  setNonBlocking(input[1]);

  ProgramRun run{"", "", -1, false};
  std::size_t written = 0;
  if (options.input.empty()) {
    close(input[1]);
    input[1] = -1;
  }
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::seconds(options.timeoutSeconds);
  bool outputOpen = true, errorsOpen = true;
  bool signalPending = options.signal != 0 && options.signalWhen != nullptr;
  while (outputOpen || errorsOpen) {
    pollfd watched[3] = {
        {output[0], POLLIN, 0}, {errors[0], POLLIN, 0}, {input[1], POLLOUT, 0}};
    int waitMs =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                             deadline - std::chrono::steady_clock::now())
                             .count());
    if (waitMs <= 0) {
      run.timedOut = true;
      kill(child, SIGKILL);
      break;
    }
    watched[0].fd = outputOpen ? output[0] : -1;
    watched[1].fd = errorsOpen ? errors[0] : -1;
    if (signalPending && options.signalWhen()) {
      kill(child, options.signal);
      signalPending = false;
    }
    if (poll(watched, 3, signalPending ? std::min(waitMs, 5) : waitMs) < 0 &&
        errno != EINTR) {
      break;
    }
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      if (watched[i].revents & (POLLIN | POLLHUP | POLLERR)) {
        ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
        if (got > 0) {
          (i == 0 ? run.output : run.errors).append(buffer, got);
        } else if (got == 0 || errno != EAGAIN) {
          (i == 0 ? outputOpen : errorsOpen) = false;
        }
      }
    }
    if (input[1] >= 0 && (watched[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t put = write(input[1], options.input.data() + written,
                          options.input.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      if (put < 0 && errno != EAGAIN) written = options.input.size();
      if (written == options.input.size()) {
        close(input[1]);
        input[1] = -1;
      }
    }
  }
  if (input[1] >= 0) close(input[1]);
  close(output[0]);
  close(errors[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  return run;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '\n':
        out += "\\n\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (c < 32 || c >= 127) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

ScratchDirectory::ScratchDirectory() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "pelk-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDirectory::write(const std::string& name,
                                    const std::string& contents) const {
  std::string full = path_ + "/" + name;
  std::ofstream(full, std::ios::binary) << contents;
  return full;
}

std::string ScratchDirectory::read(const std::string& name) const {
  std::ifstream in(path_ + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace testing_support
