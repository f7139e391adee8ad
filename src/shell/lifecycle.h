// Start-up and shut-down of the one session of the process.
#pragma once

#include "session/session.h"
#include "shell/program_options.h"

namespace shell {

// Sets the option defaults, creates the session, takes the program options
// (how the run reports, the bound of each request's exchange) and prints
// the banner (not with --quiet). With --json the standard output is kept
// for the JSON lines from here on; nullptr after printing to the standard
// error why it cannot be.
session::CommandContext* startSession(const ProgramOptions& options);

// Releases everything, pauses when the session stopped on an error, and
// exits with status 1 when it did, else 0. With --quiet (or --json) it
// never pauses, ends the text output with a line feed, and exits with
// status 1 when any command failed, else 0. A session a signal ended
// (platform::endingSignal) loses a regression capture still running, says
// so, never pauses and exits with status 128 + the signal number. Output
// is flushed here, last, on every way out.
[[noreturn]] void shutDown(session::CommandContext& context);

}  // namespace shell
