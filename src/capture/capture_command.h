// CAPTURE CONFIGURATION: writes the selected system's configuration as
// step scripts that FILE replays in order to rebuild it.
#pragma once

#include "session/session.h"

namespace capture {

// Handler of the CONFIGURATION keyword: installs the capture.
session::ParseStatus installCaptureConfiguration(
    session::CommandContext& context);

// Handler of the optional file-name value: the steps go to files named
// after it instead of the standard output.
session::ParseStatus recordCaptureFile(session::CommandContext& context);

}  // namespace capture
