#include "shell/usage.h"

#include "shell/version.h"

#include <cstdio>
#include <cstring>

namespace shell {
namespace {


constexpr const char kUsage[] =
    "Usage: pelk [COMMAND_LINE ...]\n"
    "       pelk --help | --version\n"
    "\n"
    "PELK configures and monitors storage arrays through a management\n"
    "server.\n"
    "\n"
    "With no arguments it reads commands at the prompt. At a terminal the\n"
    "line can be edited, the arrow keys and Ctrl-R recall earlier lines,\n"
    "and TAB completes keywords; '?' and Enter list what may follow.\n"
    "\n"
    "Otherwise each argument is one whole command line, so a command with\n"
    "blanks is quoted as one argument:\n"
    "\n"
    "  pelk \"SET OPTIONS NOCOMMAND_DELAY\" \"FILE nightly.pelk\" EXIT\n"
    "\n"
    "The exit status is 1 when the session stopped on an error (SET OPTIONS\n"
    "ON_ERROR=EXIT_ON_ERROR or HALT_ON_ERROR), else 0.\n"
    "\n"
    "Commands typed at a terminal are kept in ~/.pelk_history, readable by\n"
    "its owner only; lines with a password are never written to it.\n"
    "See pelk(1).\n";

}  // namespace

bool answerAboutProgram(int argc, char** argv) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return true;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("PELK Build %s for tarnwick %s\n", kBuildNumber,
                kProductVersion);
    return true;
  }
  return false;
}

}  // namespace shell
