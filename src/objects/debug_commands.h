// The hidden DEBUG command and its options. Most options act the moment
// they are parsed, so they take effect even when the line fails later.
#pragma once

#include "session/session.h"

namespace objects {

session::ParseStatus installDebugNothing(session::CommandContext& context);
session::ParseStatus installDebugDebug(session::CommandContext& context);
session::ParseStatus askAreYouSure(session::CommandContext& context);
session::ParseStatus setDumpFlag(session::CommandContext& context);
session::ParseStatus clearDumpFlag(session::CommandContext& context);
// Prints the build banner with the client library's version.
session::ParseStatus printInformation(session::CommandContext& context);
// Keeps the flags for every later send and sets the library's debug level
// from them at once: "111" is level 2, any other text level 1.
session::ParseStatus setTallowFlags(session::CommandContext& context);

}  // namespace objects
