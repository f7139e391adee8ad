// Systems: choosing the system every later command works on (SELECT
// SYSTEM), creating one on the selected uninitialized array (ADD SYSTEM),
// changing and deleting the selected one. SHOW SYSTEM is the generic SHOW.
#pragma once

#include "objects/command_support.h"
#include "session/session.h"

namespace objects {

// Properties of the system's first disk group (ADD SYSTEM) and of disk
// groups (ADD and SET DISK_GROUP).
inline constexpr FixedProperty kSparePolicyNone{"SparePolicy", "None"};
inline constexpr FixedProperty kSparePolicySingle{"SparePolicy", "Single"};
inline constexpr FixedProperty kSparePolicyDouble{"SparePolicy", "Double"};
inline constexpr FixedProperty kSystemDiskTypeNearOnline{"scdisktype",
                                                         "Near-Online"};
inline constexpr FixedProperty kSystemDiskTypeOnline{"scdisktype", "Online"};

// SELECT SYSTEM <name>: records the name and installs the selection.
session::ParseStatus selectSystem(session::CommandContext& context);

// ADD SYSTEM <name>: the name, as typed, is the property "Name".
session::ParseStatus installAddSystem(session::CommandContext& context);
session::ParseStatus recordSystemName(session::CommandContext& context);
// DEVICE_COUNT=n of ADD SYSTEM and ADD DISK_GROUP.
session::ParseStatus recordDeviceCount(session::CommandContext& context);

session::ParseStatus installSetSystem(session::CommandContext& context);
session::ParseStatus installDeleteSystem(session::CommandContext& context);

}  // namespace objects
