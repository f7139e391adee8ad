// Shared objects of the program's own, loaded when first needed rather
// than at start.
#pragma once

#include <string>

namespace platform {

// Loads `fileName` from `relativeDirectory` (relative to the directory of
// the running program, as installed) or else from the program's own
// directory (as built). The handle, or nullptr with `error` saying what
// was tried and why it failed. A loaded library stays loaded.
void* openProgramLibrary(const char* fileName, const char* relativeDirectory,
                         std::string& error);

// Loads the shared object at `path`. nullptr with `error` set.
void* openLibraryAt(const std::string& path, std::string& error);

// The address of `name` in a loaded library, or nullptr.
void* librarySymbol(void* library, const char* name);

}  // namespace platform
