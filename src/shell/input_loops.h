// The two ways command lines reach the shell: typed at the prompt, or given
// as program arguments.
#pragma once

#include "shell/session.h"

namespace shell {

// Reads lines at the prompt until EXIT, a stop on error, the end of input
// or an interruption that ends the session. An interruption that only
// stops the command (Ctrl-C at a terminal) discards the line being typed,
// or stops the command running and reports it, and reading goes on.
void runInteractiveLoop(CommandContext& context);

// Executes each of the `count` arguments as one whole command line, until
// EXIT, a stop on error or an interruption.
void runArgumentLoop(CommandContext& context, int count, char** arguments);

}  // namespace shell
