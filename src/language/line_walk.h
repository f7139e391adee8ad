// How far a line gets through the command graph, found by the parser's
// tokens and matching rules but without running any handler or printing:
// the nodes it matches, where their tokens start, and what stands at its
// end. TAB completion works from it, and so does the masking of passwords.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "language/command_node.h"

namespace language {

enum class WalkEnd {
  kWord,     // the line ends in a word (maybe empty, maybe a double quote
             // not yet closed) to match against `list`
  kEquals,   // the line ends after a keyword that requires '=' and a blank
  kStopped,  // it ends inside a value or after a complete command, or it
             // does not parse
};

struct LineWalk {
  std::vector<const CommandNode*> path;  // nodes matched, in line order
  std::vector<std::size_t> starts;       // where the token of each starts
  WalkEnd end;
  const CommandNode* list;  // kWord: the list the last word belongs to
  std::size_t wordStart;    // kWord: offset of the last word in the line
};

LineWalk walkLine(const CommandNode* root, std::string_view line);

}  // namespace language
