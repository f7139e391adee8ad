// The hidden DEBUG command and its options. Most options act the moment
// they are parsed, so they take effect even when the line fails later.
#pragma once

#include "shell/session.h"

namespace objects {

shell::ParseStatus installDebugNothing(shell::CommandContext& context);
shell::ParseStatus installDebugDebug(shell::CommandContext& context);
shell::ParseStatus askAreYouSure(shell::CommandContext& context);
shell::ParseStatus setDumpFlag(shell::CommandContext& context);
shell::ParseStatus clearDumpFlag(shell::CommandContext& context);

}  // namespace objects
