// Snapshots and full copies of an existing virtual disk (ADD SNAPSHOT, ADD
// COPY): a version-1 Copy of the source named by VDISK=.
#pragma once

#include "objects/command_support.h"
#include "session/session.h"

namespace objects {

inline constexpr FixedProperty kAllocateFully{"spaceefficiency", "1"};
inline constexpr FixedProperty kAllocateOnDemand{"spaceefficiency", "0"};

// ADD SNAPSHOT sends no creation mode; ADD COPY does not wait for the
// creation unless told otherwise.
session::ParseStatus installAddSnapshot(session::CommandContext& context);
session::ParseStatus installAddCopy(session::CommandContext& context);

}  // namespace objects
