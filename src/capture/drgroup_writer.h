// DR groups, written from their source side: the group is created with
// its first member, the other members are added, then its settings are
// set one line each.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

int writeDrGroup(CaptureWriter& writer, const session::ResponseNode* details,
                 int index);

}  // namespace capture
