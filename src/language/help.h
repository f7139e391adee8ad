// Help listings printed from the command graph, and the HELP text.
#pragma once

#include "language/command_node.h"

namespace language {

// Lists the visible nodes of one list under its heading.
shell::ParseStatus listHelp(const CommandNode* list);

// Prints " = " and the description of the node's value.
shell::ParseStatus valueHelp(const CommandNode& node);

// The answer to '?' where a value of the node's type is expected.
shell::ParseStatus typedValueHelp(const CommandNode& node);

// The answer to '?' after a command that takes nothing more.
shell::ParseStatus noMoreHelp();

// The HELP command's final handler.
int printHelpText(shell::CommandContext& context);

}  // namespace language
