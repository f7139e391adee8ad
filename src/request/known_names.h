// The object names the session already knows, offered by TAB completion at
// the value positions that name an existing object. Nothing is asked of the
// server: the names come from the token list of earlier commands.
#pragma once

#include "language/completion.h"
#include "shell/session.h"

namespace request {

language::NameSource knownObjectNames(const shell::SessionState& session);

}  // namespace request
