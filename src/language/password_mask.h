// Passwords in command lines: found the way the parser reads a line, so
// that a line is masked wherever PELK writes it for others to read.
#pragma once

#include <string_view>

#include "language/command_node.h"
#include "session/masked_line.h"

namespace language {

// `line` with the value of every PASSWORD keyword masked. A token is the
// keyword where the graph under `root` reads it as PASSWORD, however
// abbreviated (P=, pass =), with or without its '='. Where the graph
// cannot read the line that far (a misspelt word or a refused character
// before it), any word that abbreviates PASSWORD and is followed by '='
// is taken for it; where the graph reads the word as something else (P=
// for PREFERRED_PATH, a name), it is not. The value is the bracketed
// token after it, through its closing character, or the text up to the
// next blank, '=' included, so that a password holding '=' is masked
// whole. Tabs count as blanks here: a line refused for one is masked too.
session::MaskedLine maskPasswords(const CommandNode* root,
                                  std::string_view line);

}  // namespace language
