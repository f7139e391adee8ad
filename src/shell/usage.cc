#include "shell/usage.h"

#include <cstdio>
#include <cstring>

#include "session/version.h"
#include "shell/program_options.h"

namespace shell {

using session::kBuildNumber;
using session::kProductVersion;
namespace {

constexpr const char kSynopsis[] =
    "Usage: pelk [COMMAND_LINE ...]\n"
    "       pelk [--json | --quiet] [--yes] [--timeout SECONDS]\n"
    "            [--] [COMMAND_LINE ...]\n"
    "       pelk -h | --help | --version\n";

constexpr const char kUsage[] =
    "\n"
    "PELK configures and monitors storage arrays through a management\n"
    "server.\n"
    "\n"
    "With no command lines it reads commands at the prompt. At a terminal\n"
    "the line can be edited, the arrow keys and Ctrl-R recall earlier\n"
    "lines, TAB completes keywords and the names of objects, and '?' lists\n"
    "at once what may follow and gives the line back.\n"
    "\n"
    "Otherwise each argument is one whole command line, so a command with\n"
    "blanks is quoted as one argument:\n"
    "\n"
    "  pelk \"SET OPTIONS NOCOMMAND_DELAY\" \"FILE nightly.pelk\" EXIT\n"
    "\n"
    "An argument that begins with '-' and is no option is refused. --\n"
    "ends the options, so a command line that begins with '-' can follow.\n"
    "\n"
    "Ctrl-C at the prompt discards the line; while a command runs it stops\n"
    "the command and every running script, which counts as a failed\n"
    "command. SIGTERM and SIGHUP, and SIGINT without a prompt at a\n"
    "terminal, end the session with exit status 128 + the signal number.\n"
    "\n"
    "Options, in front of the command lines:\n";

constexpr const char kUsageEnd[] =
    "\n"
    "The exit status is 1 when the session stopped on an error (SET OPTIONS\n"
    "ON_ERROR=EXIT_ON_ERROR or HALT_ON_ERROR), else 0. With --json or\n"
    "--quiet it is 1 when any command failed, whatever ON_ERROR says, and\n"
    "0 when every command succeeded.\n"
    "\n"
    "Commands typed at a terminal are kept in ~/.pelk_history, readable by\n"
    "its owner only; lines with a password are never written to it.\n"
    "See pelk(1).\n";

}  // namespace

void printSynopsis(std::FILE* stream) {
  std::fputs(kSynopsis, stream);
  std::fputs("See pelk --help.\n", stream);
}

bool answerAboutProgram(int argc, char** argv) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kSynopsis, stdout);
    std::fputs(kUsage, stdout);
    printProgramOptions(stdout);
    std::fputs(kUsageEnd, stdout);
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
