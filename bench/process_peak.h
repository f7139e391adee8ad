// The peak resident memory of a program, as the system counts it for the
// program's own address space: for figures that must include everything
// the program ever held, and nothing of the process that started it.
#pragma once

#include <string>
#include <vector>

namespace bench_support {

// Starts `program` without arguments, types `lines` and then `lastLine`
// at its prompt, and once its output shows `lastOutput` (the last line's
// answer, so every line before it has run) reads its peak resident memory
// and ends its input. The peak in MiB, or -1 when the program could not be
// run or the answer did not come.
double peakMemoryMiB(const std::string& program,
                     const std::vector<std::string>& lines,
                     const std::string& lastLine,
                     const std::string& lastOutput);

}  // namespace bench_support
