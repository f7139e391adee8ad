// Start-up and shut-down of the one session of the process.
#pragma once

#include "shell/program_options.h"
#include "shell/session.h"

namespace shell {

// Sets the option defaults, creates the session, bounds the requests'
// exchanges as `options` say and prints the banner.
CommandContext& startSession(const ProgramOptions& options);

// Releases everything, pauses when the session stopped on an error, and
// exits with status 1 when it did, else 0. A session a signal ended
// (platform::endingSignal) loses a regression capture still running, says
// so, never pauses and exits with status 128 + the signal number. Output
// is flushed here, last, on every way out.
[[noreturn]] void shutDown(CommandContext& context);

}  // namespace shell
