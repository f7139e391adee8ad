// LUN presentations: ADD LUN presents a virtual disk to a host under a
// logical unit number; DELETE LUN removes one. SHOW LUN is the generic SHOW.
#pragma once

#include "session/session.h"

namespace objects {

session::ParseStatus installAddLun(session::CommandContext& context);
session::ParseStatus installDeleteLun(session::CommandContext& context);

// The number of ADD LUN, as typed: the object's name and property "LUN".
session::ParseStatus recordLunNumber(session::CommandContext& context);

}  // namespace objects
