// The checksum that protects a captured script between its start line and
// its end line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace capture {

inline constexpr char kChecksumStartText[] =
    "PELK CAPTURE script checksum start";
inline constexpr char kChecksumEndText[] = "PELK CAPTURE script checksum end: ";
inline constexpr uint32_t kChecksumSeed = 0x45;

// Folds bytes into a running checksum: exclusive-or each byte in, then
// rotate the value left by one bit.
uint32_t CaptureChecksum(uint32_t checksum, const char* bytes,
                         std::size_t length);

// Folds one line and its line feed; a carriage return before the line
// feed is not part of the text.
uint32_t foldLine(uint32_t checksum, const char* line, std::size_t length,
                  bool terminated);

// Closes the covered text of a step file open for reading and writing: the
// empty comment line, then the end line with the checksum of everything
// from the start line on. Returns 0, or 1 with the message printed when a
// write or read failed (a full disk), so the caller discards the file.
int writeChecksumEndLine(std::FILE* file);

}  // namespace capture
