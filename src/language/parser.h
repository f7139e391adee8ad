// The command-line parser: matches one line against the command graph.
#pragma once

#include "language/command_node.h"

namespace language {

// Parses the line that starts at context.cursor and holds context.remaining
// characters. Handlers are called as their nodes match; '?' is answered
// with help. On failure context.cursor marks where the caret belongs.
// Nothing is allocated: tokens are spans of the line.
session::ParseStatus quill_parse(const CommandNode* root,
                                 session::CommandContext& context);

}  // namespace language
