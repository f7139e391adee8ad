// The hidden DEBUG command and its options. Most options act the moment
// they are parsed, so they take effect even when the line fails later.
#pragma once

#include "session/session.h"

namespace objects {

shell::ParseStatus installDebugNothing(shell::CommandContext& context);
shell::ParseStatus installDebugDebug(shell::CommandContext& context);
shell::ParseStatus askAreYouSure(shell::CommandContext& context);
shell::ParseStatus setDumpFlag(shell::CommandContext& context);
shell::ParseStatus clearDumpFlag(shell::CommandContext& context);
// Prints the build banner with the client library's version.
shell::ParseStatus printInformation(shell::CommandContext& context);
// Keeps the flags for every later send and sets the library's debug level
// from them at once: "111" is level 2, any other text level 1.
shell::ParseStatus setTallowFlags(shell::CommandContext& context);

}  // namespace objects
