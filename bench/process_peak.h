// The memory of a program, as the system counts it for the program's own
// address space: for figures that must include everything the program ever
// held, and nothing of the process that started it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace bench_support {

// A program started without arguments whose standard input is typed into
// and whose output is read, so its memory can be read between the lines.
class DrivenProgram {
 public:
  explicit DrivenProgram(const std::string& program);
  ~DrivenProgram();
  DrivenProgram(const DrivenProgram&) = delete;
  DrivenProgram& operator=(const DrivenProgram&) = delete;

  // Types the lines, then reads the output until `marker` appears after
  // them (the answer to the last line, so every line before it has run).
  // False when the program ended, failed or took too long.
  bool run(const std::vector<std::string>& lines, const std::string& marker);

  // The resident size now and its high-water mark, in MiB; -1 when they
  // cannot be read.
  double residentMiB() const;
  double highWaterMiB() const;

 private:
  pid_t child_ = -1;
  int input_ = -1;
  int output_ = -1;
};

// Starts `program`, types `lines` and then `lastLine`, and once its output
// shows `lastOutput` reads its peak resident memory and ends its input. The
// peak in MiB, or -1 when the program could not be run or the answer did
// not come.
double peakMemoryMiB(const std::string& program,
                     const std::vector<std::string>& lines,
                     const std::string& lastLine,
                     const std::string& lastOutput);

}  // namespace bench_support
