#include "shell/input_loops.h"
#include "shell/lifecycle.h"
#include "shell/program_options.h"
#include "shell/usage.h"

int main(int argc, char** argv) {
  if (shell::answerAboutProgram(argc, argv)) return 0;
  int first = shell::readProgramOptions(argc, argv);
  if (first < 0) return 1;
  shell::CommandContext* context = shell::startSession();
  if (context == nullptr) return 1;
  if (first >= argc) {
    shell::runMode = shell::RunMode::kInteractive;
    shell::runInteractiveLoop(*context);
  } else {
    shell::runMode = shell::RunMode::kArguments;
    shell::runArgumentLoop(*context, argc - first, argv + first);
  }
  shell::shutDown(*context);
}
