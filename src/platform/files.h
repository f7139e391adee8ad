// Files and the system's error texts.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>

namespace platform {

// Opens a text file for reading. A directory is refused with EISDIR, so it
// takes the same path as any other file that cannot be opened. On failure
// returns nullptr and leaves the reason in errno.
std::FILE* openForReading(const char* name);

// What tells one version of a file from another: a file replaced or
// rewritten since has another identity.
struct FileIdentity {
  long long modifiedSeconds;
  long long modifiedNanoseconds;
  long long size;
  unsigned long long inode;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `name` (a link is followed), or nothing when
// there is no such file to be seen.
std::optional<FileIdentity> fileIdentity(const char* name);

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

// A stream that writes into memory. After it is flushed or closed,
// `*buffer` holds what was written, terminated, and `*size` its length;
// the caller frees the buffer with std::free once the stream is closed.
// nullptr with errno on failure.
std::FILE* openMemoryStream(char** buffer, std::size_t* size);

// Hands the standard output over to the caller as a stream of its own
// and points descriptor 1 at the null device, so whatever else is written
// to the standard output from now on goes nowhere. nullptr with errno on
// failure, the standard output then left as it was.
std::FILE* takeOverStandardOutput();

}  // namespace platform
