// Disk groups. ADD SYSTEM creates the system's first disk group, so the
// group lines are held back until the system exists, and one group is
// chosen to become that first group instead of being added.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

// The name ADD SYSTEM gives the system's first disk group.
inline constexpr char kDefaultGroupName[] = "\\Disk Groups\\Default Disk Group";

// The keyword of DISKGROUP_DISKTYPE that restores a disk type, matched
// exactly, or nullptr for a type the commands cannot create.
const char* diskTypeKeyword(const char* serverText);

// Builds the group's ADD DISK_GROUP line and holds it back, and chooses the
// default group: the one named kDefaultGroupName, else the one with the
// most disks (the earlier one on a tie).
int writeDiskGroup(CaptureWriter& writer, const session::ResponseNode* details,
                   int index);

// Writes the held-back lines newest first, except the default group's.
int writeHeldBackGroupLines(CaptureWriter& writer);

// Gives the system's first disk group the default group's name and
// occupancy alarm and comment. Nothing when the system has no disk group.
int writeDefaultGroupLines(CaptureWriter& writer);

// Releases the held-back lines and the default group's texts.
void clearDiskGroups(CaptureWriter& writer);

}  // namespace capture
