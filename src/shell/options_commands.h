// SET OPTIONS and SHOW OPTIONS. SET OPTIONS is a transaction: its values
// are checked while the line parses and applied only when all of it parsed.
#pragma once

#include "session/session.h"

namespace shell {

ParseStatus stageOptions(CommandContext& context);
ParseStatus stageCommandDelay(CommandContext& context);
ParseStatus stageNoCommandDelay(CommandContext& context);
ParseStatus stageDisplayWidth(CommandContext& context);
ParseStatus stageRetries(CommandContext& context);
ParseStatus stageNoRetries(CommandContext& context);
ParseStatus stageSafeDelete(CommandContext& context);
ParseStatus stageNoSafeDelete(CommandContext& context);
ParseStatus stageOnErrorContinue(CommandContext& context);
ParseStatus stageOnErrorExit(CommandContext& context);
ParseStatus stageOnErrorHalt(CommandContext& context);
ParseStatus installShowOptions(CommandContext& context);

}  // namespace shell
