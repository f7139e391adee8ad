// Element-manager diagnostics that the client library carries out itself:
// EMVERSION, REDISCOVER and the disk exercise (EXERCISE_DISK START, START
// ALL, STOP, SUMMARY).
#pragma once

#include "session/session.h"

namespace objects {

shell::ParseStatus installEmVersion(shell::CommandContext& context);
shell::ParseStatus installRediscover(shell::CommandContext& context);

// START <list>: the comma-separated disk names as typed. A list without
// any name is refused rather than read as "every disk"; only START ALL
// means that.
shell::ParseStatus startListedDisks(shell::CommandContext& context);
shell::ParseStatus startAllDisks(shell::CommandContext& context);
shell::ParseStatus installStopExercise(shell::CommandContext& context);
shell::ParseStatus installExerciseSummary(shell::CommandContext& context);

}  // namespace objects
