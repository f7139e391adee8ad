// The selected system: ADD SYSTEM with the settings of its first disk
// group, then SELECT SYSTEM, since ADD SYSTEM leaves no system selected.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

int writeSystem(CaptureWriter& writer, const session::ResponseNode* details,
                int index);

}  // namespace capture
