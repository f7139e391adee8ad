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
shell::ParseStatus selectSystem(shell::CommandContext& context);

// ADD SYSTEM <name>: the name, as typed, is the property "Name".
shell::ParseStatus installAddSystem(shell::CommandContext& context);
shell::ParseStatus recordSystemName(shell::CommandContext& context);
// DEVICE_COUNT=n of ADD SYSTEM and ADD DISK_GROUP.
shell::ParseStatus recordDeviceCount(shell::CommandContext& context);

shell::ParseStatus installSetSystem(shell::CommandContext& context);
shell::ParseStatus installDeleteSystem(shell::CommandContext& context);

}  // namespace objects
