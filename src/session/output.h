// Where command output and error messages go.
#pragma once

#include <cstdio>

namespace session {

// The stream that receives all command output, prompts excepted: the
// standard output, except while a regression capture or test redirects it.
extern std::FILE* outputStream;

// The stream for error messages: outputStream, except that with --quiet
// (or --json) a line's error messages are kept with it and go to the
// standard error when the line ends (result_recorder.h); while a
// regression file takes the output they go there too.
std::FILE* errorStream();

// The stream for error messages that go to the screen even while a
// regression file takes the output: the standard output, except that with
// --quiet they are kept with their line like every other.
std::FILE* screenErrorStream();

}  // namespace session
