// The two ways command lines reach the shell: typed at the prompt, or given
// as program arguments.
#pragma once

#include "shell/session.h"

namespace shell {

// Reads lines at the prompt until EXIT, a stop on error or the end of
// input. With --quiet no prompt is shown and the end of input is no error.
void runInteractiveLoop(CommandContext& context);

// Executes each of the `count` lines as one whole command line, echoed
// unless --quiet.
void runArgumentLoop(CommandContext& context, int count, char** lines);

}  // namespace shell
