// Disk groups (ADD, SET, DELETE DISK_GROUP) and the physical disks that
// can be renamed or commented (SET DISK). Their SHOW is the generic SHOW.
#pragma once

#include "objects/command_support.h"
#include "session/session.h"

namespace objects {

// The disk type of a disk group; the system's first disk group names it
// differently (kSystemDiskType...).
inline constexpr FixedProperty kGroupDiskTypeNearOnline{"diskgrpdisktype",
                                                        "Near-Online"};
inline constexpr FixedProperty kGroupDiskTypeOnline{"diskgrpdisktype",
                                                    "Online"};

session::ParseStatus installAddGroup(session::CommandContext& context);
session::ParseStatus installSetGroup(session::CommandContext& context);
session::ParseStatus installDeleteGroup(session::CommandContext& context);
session::ParseStatus installSetDisk(session::CommandContext& context);

// OCCUPANCY_ALARM=n, a percentage from 1 to 100.
session::ParseStatus recordOccupancyAlarm(session::CommandContext& context);
// SET DISK_GROUP ADD=n: the number of disks to add.
session::ParseStatus recordAddDiskCount(session::CommandContext& context);

}  // namespace objects
