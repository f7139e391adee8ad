// Runs a program as a child process with given arguments and standard
// input, and collects what it wrote and how it ended.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct ProgramRun {
  std::string output;  // standard output
  std::string errors;  // standard error
  int exitStatus;      // -1 when it did not exit normally
  bool timedOut;
};

struct ProgramOptions {
  std::vector<std::string> arguments;
  std::string input;  // written to standard input, then closed
  std::vector<std::string> environment;  // "NAME=value" added to ours
  std::string directory;                 // working directory; empty: ours
  // A guard against a hang, not a measure: a loaded machine (a sanitizer
  // build beside other tests) may take many times the usual time.
  int timeoutSeconds = 60;
  // When given, `signal` is sent once, as soon as `signalWhen` (asked every
  // few milliseconds while the program runs) returns true.
  int signal = 0;
  std::function<bool()> signalWhen;
};

ProgramRun runProgram(const std::string& path, const ProgramOptions& options);

// The text with control characters written as escapes, so a missing line
// feed or blank is visible in a failure message.
std::string escaped(const std::string& text);

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }
  // Writes a file inside the directory and returns its full path.
  std::string write(const std::string& name, const std::string& contents) const;
  std::string read(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace testing_support
