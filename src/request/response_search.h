// Searching a parsed answer by element name. Both searches walk the tree
// without recursion, so an answer of any size or shape is searched safely.
#pragma once

#include <strings.h>

#include "session/session.h"

namespace request {

// Whether two element names are equal ignoring letter case. Most names of
// an answer differ in their first letter: that is compared in line before
// the library compares the rest.
inline bool sameNameIgnoringCase(const char* a, const char* b) {
  auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return lower(a[0]) == lower(b[0]) && strcasecmp(a, b) == 0;
}

// The element named exactly `name`, or nullptr. A node is searched after
// everything reachable through its next link and then its child link, so
// of several matches in one chain the last is found.
const session::ResponseNode* FindResponseElement(
    const session::ResponseNode* root, const char* name);

// The value of the n-th element (from 1) whose name equals `name` ignoring
// case, or nullptr when there are fewer. A node comes first, then what
// hangs below it, then the rest of its chain; array rows hang one below the
// other, so the values of later rows are met before those of earlier ones.
const char* FindElementValue(const session::ResponseNode* root,
                             const char* name, int n);

// `value`, a value found for the element `tag` that a command cannot do
// without, when it is there and not empty; otherwise nullptr after printing
// which of the two it is.
const char* RequiredValue(const char* value, const char* tag);

}  // namespace request
