// Virtual disks and their LUNs. Only active virtual disks (listed with
// the "\ACTIVE" ending) are written; snapshots are not.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

// ADD VDISK with every setting the server reports, through the pair tables.
int writeVdisk(CaptureWriter& writer, const session::ResponseNode* details);

// One ADD LUN line for each host the virtual disk `fullName` is presented
// to, from the virtual disk's details.
int writeLuns(CaptureWriter& writer, const session::ResponseNode* details,
              const char* fullName);

// True when the name is an active virtual disk's.
bool isActiveVdisk(const char* fullName);

}  // namespace capture
