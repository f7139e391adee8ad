// FILE: running the command lines of a text file as if they were typed.
#pragma once

#include <cstdio>

#include "session/session.h"

namespace shell {

// Handler of the file-name value: makes the line run the script.
session::ParseStatus installRunScript(session::CommandContext& context);

// Executes every line of an open stream, echoing each one, with the
// COMMAND_DELAY pause after every line that parsed. A byte-order mark
// before the first line is skipped. EXIT ends only this script; a stop on
// error or an interruption ends it and every enclosing one, and so does a
// line that runs on past platform::kRunawayLimit without a line feed.
void runScript(std::FILE* stream, session::CommandContext& context);

// How many scripts are running, one inside the other: 0 at the prompt.
int scriptDepth();

}  // namespace shell
