// EXIT, HELP and SHOW TIME.
#pragma once

#include "session/session.h"

namespace shell {

session::ParseStatus installExit(session::CommandContext& context);
session::ParseStatus installHelp(session::CommandContext& context);
session::ParseStatus installShowTime(session::CommandContext& context);

}  // namespace shell
