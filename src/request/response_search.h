// Searching a parsed answer by element name. Both searches walk the tree
// without recursion, so an answer of any size or shape is searched safely.
#pragma once

#include "session/session.h"

namespace request {

// The element named exactly `name`, or nullptr. A node is searched after
// everything reachable through its next link and then its child link, so
// of several matches in one chain the last is found.
const shell::ResponseNode* FindResponseElement(const shell::ResponseNode* root,
                                               const char* name);

// The value of the n-th element (from 1) whose name equals `name` ignoring
// case, or nullptr when there are fewer. A node comes first, then what
// hangs below it, then the rest of its chain; array rows hang one below the
// other, so the values of later rows are met before those of earlier ones.
const char* FindElementValue(const shell::ResponseNode* root, const char* name,
                             int n);

// `value`, a value found for the element `tag` that a command cannot do
// without, when it is there and not empty; otherwise nullptr after printing
// which of the two it is.
const char* RequiredValue(const char* value, const char* tag);

}  // namespace request
