// Controllers and monitors: RESTART and SHUTDOWN of a power object, with or
// without its peers, and SET MONITOR. Their SHOW is the generic SHOW.
#pragma once

#include "objects/command_support.h"
#include "session/session.h"

namespace objects {

inline constexpr FixedProperty kAllPeers{"Coupled", "YES"};
inline constexpr FixedProperty kNoAllPeers{"Coupled", "NO"};

// No confirmation is asked: the command names the controller explicitly.
session::ParseStatus installRestart(session::CommandContext& context);
session::ParseStatus installShutdown(session::CommandContext& context);
session::ParseStatus installSetMonitor(session::CommandContext& context);

}  // namespace objects
