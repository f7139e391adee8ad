#include "shell/usage.h"

#include <cstdio>
#include <cstring>

#include "shell/version.h"

namespace shell {
namespace {

constexpr const char kUsage[] =
    "Usage: pelk [COMMAND_LINE ...]\n"
    "       pelk --timeout SECONDS [COMMAND_LINE ...]\n"
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
    "--timeout SECONDS (or PELK_TIMEOUT in the environment) gives up a\n"
    "request to the manager, and fails its command, when connecting,\n"
    "sending and the whole answer take longer; without it PELK waits as\n"
    "long as the manager takes. 0 means no limit.\n"
    "\n"
    "Ctrl-C at the prompt discards the line; while a command runs it stops\n"
    "the command and every running script, which counts as a failed\n"
    "command. SIGTERM and SIGHUP, and SIGINT without a prompt at a\n"
    "terminal, end the session with exit status 128 + the signal number.\n"
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
