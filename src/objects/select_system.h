// SELECT SYSTEM: the system every later object command works on. The
// name is looked up in the manager's current list; nothing else is sent.
#pragma once

#include "shell/session.h"

namespace objects {

shell::ParseStatus installSelectSystem(shell::CommandContext& context);

}  // namespace objects
