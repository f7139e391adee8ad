// LUN presentations: ADD LUN presents a virtual disk to a host under a
// logical unit number; DELETE LUN removes one. SHOW LUN is the generic SHOW.
#pragma once

#include "session/session.h"

namespace objects {

shell::ParseStatus installAddLun(shell::CommandContext& context);
shell::ParseStatus installDeleteLun(shell::CommandContext& context);

// The number of ADD LUN, as typed: the object's name and property "LUN".
shell::ParseStatus recordLunNumber(shell::CommandContext& context);

}  // namespace objects
