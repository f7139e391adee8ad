// The final action of server commands whose implementation has not landed
// yet. Their keywords already parse; the action stops at the manager
// precondition, and with a manager selected says plainly that the command
// is not available, so nothing pretends to have reached the server.
#pragma once

#include "shell/session.h"

namespace objects {

shell::ParseStatus installUnbuiltCommand(shell::CommandContext& context);

}  // namespace objects
