// Files and the system's error texts.
#pragma once

#include <cstdio>

namespace platform {

// Opens a text file for reading. A directory is refused with EISDIR, so it
// takes the same path as any other file that cannot be opened. On failure
// returns nullptr and leaves the reason in errno.
std::FILE* openForReading(const char* name);

// The system's text for an error number (errno values, 0 included), or
// the reason of a refusal of written_files.h.
const char* errorText(int error);

}  // namespace platform

namespace platform {

// A scratch file for reading and writing that no other process can guess
// or open: it has no name in any directory and vanishes when closed or
// when the process ends, however it ends. nullptr with errno on failure.
std::FILE* openScratchFile();

// Empties an open file and puts its position at the start.
bool emptyFile(std::FILE* stream);

}  // namespace platform
