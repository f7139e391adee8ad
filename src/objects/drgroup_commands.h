// DR groups: ADD DR_GROUP binds a virtual disk of the selected system to a
// destination system; SET DR_GROUP changes one setting (a version-3.2
// setproperties) or the membership of a virtual disk (a version-1 Set on
// that disk); DELETE DR_GROUP is the generic delete. Their properties keep
// the order they were recorded in.
#pragma once

#include "objects/command_support.h"
#include "session/session.h"

namespace objects {

inline constexpr FixedProperty kAccessReadOnly{"accessmode", "readonly"};
inline constexpr FixedProperty kAccessDisable{"accessmode", "disable"};
inline constexpr FixedProperty kWriteModeAsynchronous{"writemode",
                                                      "asynchronous"};
inline constexpr FixedProperty kWriteModeSynchronous{"writemode",
                                                     "synchronous"};
inline constexpr FixedProperty kSiteFailover{"sitefailover", ""};
inline constexpr FixedProperty kFailsafeOn{"failsafe", "enable"};
inline constexpr FixedProperty kFailsafeOff{"failsafe", "disable"};
inline constexpr FixedProperty kSuspend{"suspend", "suspend"};
inline constexpr FixedProperty kResume{"suspend", "resume"};

// ADD DR_GROUP records the creation template; SET DR_GROUP the group's
// addressing, which a membership change discards again.
session::ParseStatus installAddDrGroup(session::CommandContext& context);
session::ParseStatus installSetDrGroup(session::CommandContext& context);
session::ParseStatus installDeleteDrGroup(session::CommandContext& context);

// COMMENT= of a DR group: at most 128 characters, as "drcomments".
session::ParseStatus recordDrGroupComment(session::CommandContext& context);
// DESTINATION_VDISK_NAME=: the name of the copy on the destination system.
session::ParseStatus recordRemoteVdiskName(session::CommandContext& context);

// Membership changes of SET DR_GROUP: each starts a request of its own.
session::ParseStatus startAddMember(session::CommandContext& context);
session::ParseStatus startDeleteMember(session::CommandContext& context);
session::ParseStatus startDetachMember(session::CommandContext& context);

}  // namespace objects
