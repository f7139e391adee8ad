// Folders: ADD FOLDER inside an existing folder, SET and DELETE FOLDER.
// SHOW FOLDER is the generic SHOW.
#pragma once

#include "session/session.h"

namespace objects {

shell::ParseStatus installAddFolder(shell::CommandContext& context);
shell::ParseStatus installSetFolder(shell::CommandContext& context);
shell::ParseStatus installDeleteFolder(shell::CommandContext& context);

}  // namespace objects
