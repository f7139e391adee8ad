// SET OPTIONS and SHOW OPTIONS. SET OPTIONS is a transaction: its values
// are checked while the line parses and applied only when all of it parsed.
#pragma once

#include "session/session.h"

namespace shell {

session::ParseStatus stageOptions(session::CommandContext& context);
session::ParseStatus stageCommandDelay(session::CommandContext& context);
session::ParseStatus stageNoCommandDelay(session::CommandContext& context);
session::ParseStatus stageDisplayWidth(session::CommandContext& context);
session::ParseStatus stageRetries(session::CommandContext& context);
session::ParseStatus stageNoRetries(session::CommandContext& context);
session::ParseStatus stageSafeDelete(session::CommandContext& context);
session::ParseStatus stageNoSafeDelete(session::CommandContext& context);
session::ParseStatus stageOnErrorContinue(session::CommandContext& context);
session::ParseStatus stageOnErrorExit(session::CommandContext& context);
session::ParseStatus stageOnErrorHalt(session::CommandContext& context);
session::ParseStatus installShowOptions(session::CommandContext& context);

}  // namespace shell
