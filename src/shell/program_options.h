// The options in front of the command lines, which say how the run
// reports: for a person at a terminal, or for a job or another program.
#pragma once

#include <cstdio>

namespace shell {

// Reads the options at the start of the arguments into `automation` and
// returns the index of the first command line (argc when there is none).
// The first argument that is not an option begins the command lines, so
// any other text stays a command line as before. -1 after printing to the
// standard error why an option's value is missing or wrong.
int readProgramOptions(int argc, char** argv);

// One line or more per option, for the usage text.
void printProgramOptions(std::FILE* stream);

}  // namespace shell
