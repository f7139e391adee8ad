// Controllers cannot be renamed by a restore; when they carry names of
// their own, the step file says so in comment lines.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

// Records the name of controller `index` (0 or 1) and, after the second,
// writes the note when a name is not the factory one. A third controller
// is fatal: the program stops.
int writeController(CaptureWriter& writer, const session::ResponseNode* details,
                    int index);

// Releases the recorded names.
void clearControllerNames(CaptureWriter& writer);

}  // namespace capture
