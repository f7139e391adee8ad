// What a command line owns while it runs: the texts its handlers copy from
// the line, the request being built and the answer, all released together
// when the line ends; and the final action it has until a handler installs
// another.
#pragma once

#include "session/session.h"

namespace session {

// The message of a line that named no complete command.
inline constexpr char kIncompleteCommand[] = "\nError: Incomplete command";

// Replaces the text in `slot` with a terminated copy of the context's
// current token.
void copyToken(CommandContext& context, char*& slot);

// The final action of a line that named no complete command: prints
// "Incomplete command" and fails.
int reportIncompleteCommand(CommandContext& context);

// Releases everything the per-line work area owns and empties it.
void releaseWorkArea(SessionState& session);

}  // namespace session
