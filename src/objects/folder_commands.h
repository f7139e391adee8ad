// Folders: ADD FOLDER inside an existing folder, SET and DELETE FOLDER.
// SHOW FOLDER is the generic SHOW.
#pragma once

#include "session/session.h"

namespace objects {

session::ParseStatus installAddFolder(session::CommandContext& context);
session::ParseStatus installSetFolder(session::CommandContext& context);
session::ParseStatus installDeleteFolder(session::CommandContext& context);

}  // namespace objects
