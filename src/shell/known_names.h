// The object names TAB completion offers at the value positions that name
// an existing object: those of the token list of earlier commands and, at
// the prompt, those of one list request to the manager per kind and
// command line. Nothing is offered where a new object is named.
#pragma once

#include <string>
#include <vector>

#include "language/completion.h"
#include "session/session.h"

namespace shell {

// What completion got from the manager while one command line is typed;
// the input loop empties it before each line.
struct ListedNames {
  bool asked[session::kObjectKindCount] = {};
  std::vector<std::string> names[session::kObjectKindCount];
};

language::NameSource knownObjectNames(session::CommandContext& context,
                                      ListedNames& listed);

}  // namespace shell
