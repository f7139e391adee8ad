// Node handlers of the command values that name objects, give new names,
// comments and unit identifiers. Each records the value (and the property
// the request will carry) and checks it while the line is parsed, so a
// command with a bad value is never sent.
#pragma once

#include "session/session.h"

namespace request {

// The object to show, set or delete: copied into objectNameArg.
shell::ParseStatus recordObjectName(shell::CommandContext& context);

// The name of a new object, possibly with a folder path in front
// (\Virtual Disks\Finance\Vol1): the path goes to folderPath, the last
// component to objectNameArg and to the property "Name" (for DR groups
// "objectname"), and is checked as a name.
shell::ParseStatus recordNewObjectName(shell::CommandContext& context);
shell::ParseStatus recordNewDrGroupName(shell::CommandContext& context);

// NAME= of an existing object: no folder path allowed; property "Name" at
// the front of the list (for DR groups "objectname" at its end), copied
// into newNameArg and checked as a name.
shell::ParseStatus recordNewName(shell::CommandContext& context);
shell::ParseStatus recordDrGroupNewName(shell::CommandContext& context);

// COMMENT= text: at most 128 characters, property "comments".
shell::ParseStatus recordComment(shell::CommandContext& context);

// OS_UNIT_ID= and CONSOLE_LUN_ID=: at most 32767, property "BraskelID".
shell::ParseStatus recordUnitId(shell::CommandContext& context);

}  // namespace request
