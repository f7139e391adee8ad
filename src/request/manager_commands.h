// SELECT MANAGER and SHOW MANAGER: the management server and the
// credentials presented to it. Nothing is sent here; the first request logs
// in.
#pragma once

#include "session/session.h"

namespace request {

session::ParseStatus recordManagerAddress(session::CommandContext& context);
// The credentials replace the previous ones the moment they are parsed,
// even when the line fails later.
session::ParseStatus recordUserName(session::CommandContext& context);
session::ParseStatus recordPassword(session::CommandContext& context);
session::ParseStatus installShowManager(session::CommandContext& context);

}  // namespace request
