// One record of the static command graph.
#pragma once

#include <cstdint>

#include "session/session.h"

namespace language {

enum NodeFlag : uint32_t {
  NODE_DECIMAL = 0x1,
  NODE_OCTAL = 0x2,
  NODE_HEX = 0x4,
  NODE_STRING = 0x8,
  NODE_EQUALS = 0x10,
  NODE_HIDDEN = 0x20,
  NODE_VALUE = 0x40,
  NODE_UNMATCHED = 0x80,
  NODE_FULL_WORD = 0x100,
  NODE_DISABLED = 0x200,
  NODE_LIST = 0x400,
  NODE_LAST = 0x8000,
};

// Called when its node has matched, after the node's value was read; any
// result but ParseOk ends the parse and becomes the line's status.
using NodeHandler = session::ParseStatus (*)(session::CommandContext& context);

// A node list is a contiguous array whose last record, and only it, has
// NODE_LAST. `next` names the list the following token is matched against;
// nullptr means the command ends after this node.
struct CommandNode {
  uint32_t flags;
  NodeHandler handler;
  const CommandNode* next;
  const char* text;  // keyword in capitals, or a value node's help text
};

}  // namespace language
