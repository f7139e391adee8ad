// CAPTURE VALIDATE: tells an unmodified capture script from a modified one.
#pragma once

#include "session/session.h"

namespace capture {

// Handler of the file-name value of CAPTURE VALIDATE.
session::ParseStatus installValidateCaptureScript(
    session::CommandContext& context);

}  // namespace capture
