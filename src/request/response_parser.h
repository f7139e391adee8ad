// Reads a server answer into a tree. The parser knows a fixed table of
// structural tags (envelopes and bodies that vanish, containers that
// flatten, labels, categories and arrays); every other element is a leaf
// with its text copied verbatim, entities included.
#pragma once

#include "session/session.h"

namespace request {

// Structures nested deeper than this end the parse with an error.
inline constexpr int kMaxResponseNesting = 64;

// Parses `text` into the chain that starts at root->next (root is an anchor
// the caller made with trackedNew). Returns 0, or 1 after printing the
// error with the rest of the text; what was built so far stays linked to
// `root`. The nodes and their texts live in a few blocks owned by `root`,
// so releaseTree(root) gives everything back. Label texts replace the work
// area's currentLabel.
int ParseResponse(session::CommandContext& context, const char* text,
                  session::ResponseNode* root);

// A new empty root anchor in the work area's responseTree, the previous
// tree released, then ParseResponse of the work area's responseText, which
// is released afterwards: the tree holds copies of all it needs.
int ParseResponseText(session::CommandContext& context);

}  // namespace request
