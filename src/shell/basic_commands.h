// EXIT, HELP and SHOW TIME.
#pragma once

#include "session/session.h"

namespace shell {

ParseStatus installExit(CommandContext& context);
ParseStatus installHelp(CommandContext& context);
ParseStatus installShowTime(CommandContext& context);

}  // namespace shell
