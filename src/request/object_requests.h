// The requests most object commands share: changing one object and
// deleting one. Each returns 0, or 1 with the message already printed;
// a server FAILURE answer to a change is printed and marked in resultFlags
// but returns 0.
#pragma once

#include "request/object_kinds.h"
#include "session/session.h"

namespace request {

// SET of the object named objectNameArg with the pending properties.
int SetObjectProperties(session::CommandContext& context, ObjectKind kind);

// DELETE of the object named objectNameArg. With SAFE_DELETE a system that
// still has virtual disks, or a virtual disk that is still presented as a
// LUN, is refused; without it the user at the prompt is asked first.
int DeleteObject(session::CommandContext& context, ObjectKind kind);

}  // namespace request
