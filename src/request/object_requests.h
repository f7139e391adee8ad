// The requests most object commands share: fetching objects, changing one
// and deleting one. Each returns 0, or 1 with the message already printed;
// a server FAILURE answer to a change is printed and marked in resultFlags
// but returns 0.
#pragma once

#include "request/object_kinds.h"
#include "session/session.h"

namespace request {

// Gets one object (id given) or the list of all objects of the kind (empty
// id) and parses the answer into the work area's responseTree. Systems
// need a manager, every other kind a system too. One virtual disk or DR
// group is asked for with a version-3.2 getproperties, everything else
// with a version-1 Get. The pending properties of the running command are
// kept aside meanwhile. An answer with a NotSuccessMsg fails.
int FetchObjects(shell::CommandContext& context, ObjectKind kind,
                 const char* id);

// SET of the object named objectNameArg with the pending properties.
int SetObjectProperties(shell::CommandContext& context, ObjectKind kind);

// DELETE of the object named objectNameArg. With SAFE_DELETE a system that
// still has virtual disks, or a virtual disk that is still presented as a
// LUN, is refused; without it the user at the prompt is asked first.
int DeleteObject(shell::CommandContext& context, ObjectKind kind);

}  // namespace request
