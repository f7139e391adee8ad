// Start-up and shut-down of the one session of the process.
#pragma once

#include "shell/session.h"

namespace shell {

// Sets the option defaults, creates the session and prints the banner
// (not with --quiet). With --json the standard output is kept for the JSON
// lines from here on; nullptr after printing to the standard error why it
// cannot be.
CommandContext* startSession();

// Releases everything, pauses when the session stopped on an error, and
// exits with status 1 when it did, else 0. With --quiet (or --json) it
// never pauses, ends the text output with a line feed, and exits with
// status 1 when any command failed, else 0.
[[noreturn]] void shutDown(CommandContext& context);

}  // namespace shell
