// A stream whose writes go to two streams at once.
#pragma once

#include <cstdio>

namespace platform {

// Every write reaches `first` and then `second` at once, unbuffered, so
// it stands in `first` in order with what is written there directly.
// Closing it closes neither. nullptr with errno on failure.
std::FILE* openCopyingStream(std::FILE* first, std::FILE* second);

}  // namespace platform
