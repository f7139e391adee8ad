// The two ways command lines reach the shell: typed at the prompt, or given
// as program arguments.
#pragma once

#include "shell/session.h"

namespace shell {

// Reads lines at the prompt until EXIT, a stop on error or the end of
// input.
void runInteractiveLoop(CommandContext& context);

// Executes each argument as one whole command line.
void runArgumentLoop(CommandContext& context, int count, char** arguments);

}  // namespace shell
