// Printing a parsed answer in the indented detail layout: a name column, a
// colon and the value, wrapped at DISPLAY_WIDTH; array rows and categories
// get headings and are indented two columns per level.
#pragma once

#include "session/session.h"

namespace request {

// Prints the chain after `root` and every structure below it to
// session::outputStream. Array headings replace the work area's currentLabel.
// The walk keeps its own stack, so any tree the parser built is printed
// safely.
void DisplayResponse(session::CommandContext& context,
                     const session::ResponseNode* root);

}  // namespace request
