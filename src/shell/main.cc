#include "shell/input_loops.h"
#include "shell/lifecycle.h"

int main(int argc, char** argv) {
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
