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

shell::ParseStatus installAddGroup(shell::CommandContext& context);
shell::ParseStatus installSetGroup(shell::CommandContext& context);
shell::ParseStatus installDeleteGroup(shell::CommandContext& context);
shell::ParseStatus installSetDisk(shell::CommandContext& context);

// OCCUPANCY_ALARM=n, a percentage from 1 to 100.
shell::ParseStatus recordOccupancyAlarm(shell::CommandContext& context);
// SET DISK_GROUP ADD=n: the number of disks to add.
shell::ParseStatus recordAddDiskCount(shell::CommandContext& context);

}  // namespace objects
