// The names of one kind of object, asked of the manager without a word on
// the screen: for TAB completion, which must neither print nor wait long.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "request/object_kinds.h"
#include "session/session.h"

namespace request {

// Sends the kind's list request (the one every lookup sends) through
// quickExchange and appends the names of the answer to `names`, verbatim.
// Nothing is sent without a selected manager, or for kinds other than
// systems without a selected system. The session's work area is left as it
// was. False when nothing could be asked or nothing came back in time.
bool fetchObjectNames(session::CommandContext& context, ObjectKind kind,
                      std::vector<std::string>& names);

// The texts of the Name (or ElementName) elements of a list answer, as the
// token list would hold them; empty ones are left out.
void readListedNames(std::string_view answer, std::vector<std::string>& names);

}  // namespace request
