// Element-manager diagnostics that the client library carries out itself:
// EMVERSION, REDISCOVER and the disk exercise (EXERCISE_DISK START, START
// ALL, STOP, SUMMARY).
#pragma once

#include "session/session.h"

namespace objects {

session::ParseStatus installEmVersion(session::CommandContext& context);
session::ParseStatus installRediscover(session::CommandContext& context);

// START <list>: the comma-separated disk names as typed. A list without
// any name is refused rather than read as "every disk"; only START ALL
// means that.
session::ParseStatus startListedDisks(session::CommandContext& context);
session::ParseStatus startAllDisks(session::CommandContext& context);
session::ParseStatus installStopExercise(session::CommandContext& context);
session::ParseStatus installExerciseSummary(session::CommandContext& context);

}  // namespace objects
