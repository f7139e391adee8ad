// The two ways command lines reach the shell: typed at the prompt, or given
// as program arguments.
#pragma once

#include "session/session.h"

namespace shell {

// Reads lines at the prompt until EXIT, a stop on error, the end of input
// or an interruption that ends the session. An interruption that only
// stops the command (Ctrl-C at a terminal) discards the line being typed,
// or stops the command running and reports it, and reading goes on. With
// --quiet no prompt is shown and the end of input is no error.
void runInteractiveLoop(session::CommandContext& context);

// Executes each of the `count` lines as one whole command line, echoed
// unless --quiet, until EXIT, a stop on error or an interruption.
void runArgumentLoop(session::CommandContext& context, int count, char** lines);

}  // namespace shell
