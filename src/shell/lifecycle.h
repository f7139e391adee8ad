// Start-up and shut-down of the one session of the process.
#pragma once

#include "shell/session.h"

namespace shell {

// Sets the option defaults, creates the session and prints the banner.
CommandContext& startSession();

// Releases everything, pauses when the session stopped on an error, and
// exits with status 1 when it did, else 0.
[[noreturn]] void shutDown(CommandContext& context);

}  // namespace shell
