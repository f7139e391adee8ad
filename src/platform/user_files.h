// Small text files the program keeps for the user in the home directory.
// They may hold what the user typed, so only the owner may read them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The full name of `name` in the user's home directory, or an empty text
// when HOME is not set.
std::string homeFile(const char* name);

// Reads the lines of a text file, without their line feeds. Returns false
// with errno when the file cannot be opened (a missing file included) or
// could not be written under the rule of written_files.h, and with EFBIG,
// none of it taken, when it holds more than `limit` bytes.
bool readLines(const std::string& path, std::size_t limit,
               std::vector<std::string>& lines);

// Appends one line and its line feed under the rule of written_files.h;
// the file is made readable and writable by its owner only. Returns false
// when it cannot be written.
bool appendPrivateLine(const std::string& path, std::string_view line);

// Replaces the whole file with these lines, complete or not at all, in an
// owner-only file (pending_file.h). Returns false when it cannot be done.
bool replacePrivateLines(const std::string& path,
                         const std::vector<std::string>& lines);

}  // namespace platform
