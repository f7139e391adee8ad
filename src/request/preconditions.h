// What every command that talks to the management server checks first.
#pragma once

#include "session/session.h"

namespace request {

// 0 when a manager is selected, else prints why not and returns 1.
int RequireManager(session::CommandContext& context);

// RequireManager, then 0 when a system is selected, else prints why not
// and returns 1.
int RequireSystem(session::CommandContext& context);

}  // namespace request
