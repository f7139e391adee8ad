// Options given in front of the command lines, one row of a table each:
// how the run reports (for a person, or for a job or another program) and
// how long a request may take. An option may also come from the
// environment.
#pragma once

#include <cstdint>
#include <cstdio>

namespace shell {

struct ProgramOptions {
  bool json = false;            // JSON Lines on the standard output only
  bool quiet = false;           // no banner, prompts or echo; errors on stderr
  bool yes = false;             // questions answered yes without asking
  uint32_t timeoutSeconds = 0;  // bound of each request's exchange, 0: none
};

// Reads the options at the front of the arguments, then, for an option
// not given, its environment variable. Returns the index of the first
// command line (`argc` when there is none), or -1 after printing to the
// standard error why an option or its value was refused. The first word
// that names no option begins the command lines, so any other text stays
// a command line as before.
int readProgramOptions(int argc, char** argv, ProgramOptions& options);

// One line or more per option, for the usage text.
void printProgramOptions(std::FILE* stream);

}  // namespace shell
