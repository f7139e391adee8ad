// Node handlers of the command values that name objects, give new names,
// comments and unit identifiers. Each records the value (and the property
// the request will carry) and checks it while the line is parsed, so a
// command with a bad value is never sent.
#pragma once

#include "session/session.h"

namespace request {

// The object to show, set or delete: copied into objectNameArg.
session::ParseStatus recordObjectName(session::CommandContext& context);

// The name of a new object, possibly with a folder path in front
// (\Virtual Disks\Finance\Vol1): the path goes to folderPath, the last
// component to objectNameArg and to the property "Name" (for DR groups
// "objectname"), and is checked as a name.
session::ParseStatus recordNewObjectName(session::CommandContext& context);
session::ParseStatus recordNewDrGroupName(session::CommandContext& context);

// NAME= of an existing object: no folder path allowed; property "Name" at
// the front of the list (for DR groups "objectname" at its end), copied
// into newNameArg and checked as a name.
session::ParseStatus recordNewName(session::CommandContext& context);
session::ParseStatus recordDrGroupNewName(session::CommandContext& context);

// COMMENT= text: at most 128 characters, property "comments".
session::ParseStatus recordComment(session::CommandContext& context);

// OS_UNIT_ID= and CONSOLE_LUN_ID=: at most 32767, property "BraskelID".
session::ParseStatus recordUnitId(session::CommandContext& context);

}  // namespace request
