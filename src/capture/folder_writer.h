// Folders under the virtual-disk and host roots. Taken by depth, so a
// parent is always added before its children; the roots themselves exist
// on every system and are never written.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

int writeFolder(CaptureWriter& writer, const session::ResponseNode* details,
                int index);

}  // namespace capture
