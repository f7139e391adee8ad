// SHOW of an object kind: the list of the kind's names, each object in
// full with FULL, or one named object in full.
#pragma once

#include "request/object_kinds.h"
#include "session/session.h"

namespace request {

// Refreshes the kind's tokens, then prints one named object (objectNameArg)
// in full, or the kind's heading and names (every object in full with the
// FULL bit). A full listing whose detail fetch fails stops there and fails.
int ShowObjects(session::CommandContext& context, ObjectKind kind);

// Fetches one object and prints it under "<name> information:".
int ShowObjectDetail(session::CommandContext& context,
                     const session::ObjectToken& token);

// Node handlers: SHOW <kind> installs ShowObjects of that kind as the final
// action; FULL and NOFULL set and clear the full-display bit.
template <ObjectKind kind>
session::ParseStatus installShow(session::CommandContext& context);
session::ParseStatus setFullDisplay(session::CommandContext& context);
session::ParseStatus clearFullDisplay(session::CommandContext& context);

}  // namespace request
