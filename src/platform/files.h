// Files and the system's error texts.
#pragma once

#include <cstdio>

namespace platform {

// Opens a text file for reading. A directory is refused with EISDIR, so it
// takes the same path as any other file that cannot be opened. On failure
// returns nullptr and leaves the reason in errno.
std::FILE* openForReading(const char* name);

// The system's text for an error number (errno values, 0 included).
const char* errorText(int error);

}  // namespace platform
