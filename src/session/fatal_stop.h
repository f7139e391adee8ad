// The common end of every fatal error. Only a declaration: the allocator
// at the bottom of the session core ends the process through it too, while
// its work (releasing, reporting, waiting for the user) uses the floors
// above.
#pragma once

namespace session {

// Releases everything, asks the user to press return (not with --quiet) and
// exits with status 1. Callers print their message first.
[[noreturn]] void fatalStop();

// Work that must not be left half done when the process stops: a command
// that holds such work (an open capture file) installs a function here,
// which fatalStop() runs first, and removes it (nullptr) when done.
using FatalStopCleanup = void (*)();
void setFatalStopCleanup(FatalStopCleanup cleanup);

}  // namespace session
