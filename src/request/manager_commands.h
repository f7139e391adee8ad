// SELECT MANAGER and SHOW MANAGER: the management server and the
// credentials presented to it. Nothing is sent here; the first request logs
// in.
#pragma once

#include "session/session.h"

namespace request {

shell::ParseStatus recordManagerAddress(shell::CommandContext& context);
// The credentials replace the previous ones the moment they are parsed,
// even when the line fails later.
shell::ParseStatus recordUserName(shell::CommandContext& context);
shell::ParseStatus recordPassword(shell::CommandContext& context);
shell::ParseStatus installShowManager(shell::CommandContext& context);

}  // namespace request
