// The complete command graph of the shell, as static data.
#pragma once

#include "language/command_node.h"

namespace language {

// The root list: the command keywords.
const CommandNode* rootList();

}  // namespace language
