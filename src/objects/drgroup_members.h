// The parts of DR-group commands that reach into the destination system
// or into a group's members.
#pragma once

#include "session/session.h"

namespace objects {

// "No destination disk group", until DESTINATION_DISK_GROUP names one.
inline constexpr char kNoDiskGroupPlaceholder[] =
    "0000000000000000000000000000000000000000";

// Looks DESTINATION_DISK_GROUP up on the system `remoteSystemId` and
// records it as "destdiskgroupid". The selected system is given back on
// every path, and the other system's disk groups are not kept in the token
// list, so nothing later acts on that array by mistake. 0, or 1 after
// printing why.
int putRemoteGroupId(session::CommandContext& context,
                     const char* remoteSystemId);

// SET DR_GROUP ... ADD_VDISK / DELETE_VDISK / DETACH_VDISK, once the names
// have swapped roles: objectNameArg is the virtual disk, vdiskNameArg the
// group. The change is a version-1 Set on the virtual disk.
int changeMembership(session::CommandContext& context);

}  // namespace objects
