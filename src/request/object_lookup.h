// Finding objects by name: every lookup reads the kind's list from the
// server afresh, so no cached list is trusted.
#pragma once

#include "request/object_kinds.h"
#include "session/session.h"

namespace request {

// Replaces the kind's tokens with the server's current list. 0 or 1.
int RefreshTokenList(shell::CommandContext& context, ObjectKind kind);

// The token of the kind named exactly `name` after a refresh; nullptr after
// printing why not.
shell::ObjectToken* LookupObject(shell::CommandContext& context,
                                 ObjectKind kind, const char* name);

}  // namespace request
