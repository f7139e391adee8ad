// Options given in front of the command lines, one row of a table each;
// an option may also come from the environment.
#pragma once

#include <cstdint>

namespace shell {

struct ProgramOptions {
  uint32_t timeoutSeconds = 0;  // bound of each request's exchange, 0: none
};

// Reads the options at the front of the arguments, then, for an option
// not given, its environment variable. Returns the index of the first
// command line (`argc` when there is none), or -1 after printing to the
// standard error why an option or its value was refused. A word that
// names no option is the first command line.
int readProgramOptions(int argc, char** argv, ProgramOptions& options);

}  // namespace shell
