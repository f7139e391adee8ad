// The peak resident memory of a whole program run, as the system counted
// it: for figures that must include everything the program ever held.
#pragma once

#include <string>
#include <vector>

namespace bench_support {

// Runs `program` with `arguments`, its output thrown away and its input
// empty, to its end. Its peak resident memory in MiB, or -1 when it could
// not be run or did not exit with status 0.
double peakMemoryMiB(const std::string& program,
                     const std::vector<std::string>& arguments);

}  // namespace bench_support
