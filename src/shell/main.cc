#include "shell/input_loops.h"
#include "shell/lifecycle.h"
#include "shell/usage.h"

int main(int argc, char** argv) {
  if (shell::answerAboutProgram(argc, argv)) return 0;
  shell::CommandContext& context = shell::startSession();
  if (argc <= 1) {
    shell::runMode = shell::RunMode::kInteractive;
    shell::runInteractiveLoop(context);
  } else {
    shell::runMode = shell::RunMode::kArguments;
    shell::runArgumentLoop(context, argc, argv);
  }
  shell::shutDown(context);
}
