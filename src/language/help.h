// Help listings printed from the command graph, and the HELP text.
#pragma once

#include "language/command_node.h"

namespace language {

// Lists the visible nodes of one list under its heading.
session::ParseStatus listHelp(const CommandNode* list);

// Prints " = " and the description of the node's value.
session::ParseStatus valueHelp(const CommandNode& node);

// The answer to '?' where a value of the node's type is expected.
session::ParseStatus typedValueHelp(const CommandNode& node);

// The answer to '?' after a command that takes nothing more.
session::ParseStatus noMoreHelp();

// The HELP command's final handler.
int printHelpText(session::CommandContext& context);

}  // namespace language
