// The arguments that ask about the program instead of running a command:
// --help (or -h) and --version; and the short usage for a refused one.
#pragma once

#include <cstdio>

namespace shell {

// The usage lines and where to read more, for arguments that were refused.
void printSynopsis(std::FILE* stream);

// When the program's only argument is --help, -h or --version, prints the
// usage text or the version line to the standard output and returns true:
// the program then ends with status 0 without starting a session. Any
// other arguments are program options and command lines
// (program_options.h), and it returns false.
bool answerAboutProgram(int argc, char** argv);

}  // namespace shell
