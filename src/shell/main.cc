#include "platform/console.h"
#include "platform/interruption.h"
#include "shell/input_loops.h"
#include "shell/lifecycle.h"
#include "shell/program_options.h"
#include "shell/usage.h"

int main(int argc, char** argv) {
  if (shell::answerAboutProgram(argc, argv)) return 0;
  shell::ProgramOptions options;
  int first = shell::readProgramOptions(argc, argv, options);
  if (first == shell::kUnknownOption) shell::printSynopsis(stderr);
  if (first < 0) return 2;
  // Only a person typing at a terminal prompt keeps the session on Ctrl-C.
  bool prompt = first == argc;
  platform::catchInterruptions(prompt && platform::isTerminal(0));
  platform::useStandardStreamsFromOneThread();
  session::CommandContext* context = shell::startSession(options);
  if (context == nullptr) return 1;
  if (prompt) {
    session::runMode = session::RunMode::kInteractive;
    shell::runInteractiveLoop(*context);
  } else {
    session::runMode = session::RunMode::kArguments;
    shell::runArgumentLoop(*context, argc - first, argv + first);
  }
  shell::shutDown(*context);
}
