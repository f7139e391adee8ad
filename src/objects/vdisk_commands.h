// Virtual disks: ADD VDISK, SET VDISK (one option) and DELETE VDISK, with
// the option keywords they share with snapshots and copies. SHOW VDISK is
// the generic SHOW.
#pragma once

#include "objects/command_support.h"
#include "session/session.h"

namespace objects {

inline constexpr FixedProperty kRedundancyVraid0{"RedundType", "NONE"};
inline constexpr FixedProperty kRedundancyVraid1{"RedundType", "MIRROR"};
inline constexpr FixedProperty kRedundancyVraid5{"RedundType", "PARITY"};
inline constexpr FixedProperty kMirroredWriteBack{"WriteCache",
                                                  "Mirrored Write-Back"};
inline constexpr FixedProperty kUnmirroredWriteBack{"WriteCache",
                                                    "Unmirrored Write-Back"};
inline constexpr FixedProperty kReadCacheOn{"ReadCache", "On"};
inline constexpr FixedProperty kReadCacheOff{"ReadCache", "Off"};
inline constexpr FixedProperty kWriteProtectOn{"WriteProtect", "YES"};
inline constexpr FixedProperty kWriteProtectOff{"WriteProtect", "NO"};
inline constexpr FixedProperty kPathAFailover{"PrefPath", "A_FAILOVER"};
inline constexpr FixedProperty kPathABoth{"PrefPath", "A_BOTH"};
inline constexpr FixedProperty kPathBFailover{"PrefPath", "B_FAILOVER"};
inline constexpr FixedProperty kPathBBoth{"PrefPath", "B_BOTH"};
inline constexpr FixedProperty kNoPreferredPath{"PrefPath", "NO_PREFERENCE"};
inline constexpr FixedProperty kCreationWait{"creationmode", "synchronous"};
inline constexpr FixedProperty kCreationNoWait{"creationmode", "asynchronous"};
inline constexpr FixedProperty kDeletionWait{"deletionmode", "synchronous"};
inline constexpr FixedProperty kDeletionNoWait{"deletionmode", "asynchronous"};

// ADD VDISK waits for the creation unless told otherwise.
session::ParseStatus installAddVdisk(session::CommandContext& context);
session::ParseStatus installSetVdisk(session::CommandContext& context);
// DELETE VDISK does not wait for the deletion unless told otherwise.
session::ParseStatus installDeleteVdisk(session::CommandContext& context);

// SIZE=n in gigabytes, 1 to 65535.
session::ParseStatus recordSize(session::CommandContext& context);
// WORLD_WIDE_LUN_NAME: every occurrence adds one "lunwwn" element.
session::ParseStatus recordLunWorldWideName(session::CommandContext& context);

}  // namespace objects
