// The request texts that name one object of a kind, or a kind's whole list.
#pragma once

#include "request/object_kinds.h"
#include "session/session.h"

namespace request {

// A version-1 `operation` on the object `id` of the kind (the whole list
// for an empty id), in the selected system unless the kind is Systems,
// with the pending properties.
void BuildV1ObjectRequest(session::CommandContext& context,
                          const char* operation, ObjectKind kind,
                          const char* id);

// A version-3.2 `operation` on the virtual disk or DR group `id` of the
// selected system, with the pending properties.
void BuildV32ObjectRequest(session::CommandContext& context,
                           const char* operation, ObjectKind kind,
                           const char* id);

}  // namespace request
