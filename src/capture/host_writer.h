// Hosts: ADD HOST with the first adapter, then one SET HOST line for each
// further adapter.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

int writeHost(CaptureWriter& writer, const session::ResponseNode* details,
              int index);

}  // namespace capture
