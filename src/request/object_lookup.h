// Fetching objects and finding them by name: every lookup reads the kind's
// list from the server afresh, so no cached list is trusted.
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
int FetchObjects(session::CommandContext& context, ObjectKind kind,
                 const char* id);

// Replaces the kind's tokens with the server's current list. 0 or 1.
int RefreshTokenList(session::CommandContext& context, ObjectKind kind);

// The token of the kind named exactly `name` after a refresh; nullptr after
// printing why not.
session::ObjectToken* LookupObject(session::CommandContext& context,
                                   ObjectKind kind, const char* name);

}  // namespace request
