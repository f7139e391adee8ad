// Where command output goes.
#pragma once

#include <cstdio>

namespace shell {

// The stream that receives all command output, prompts excepted: the
// standard output, except while a regression capture or test redirects it.
extern std::FILE* outputStream;

}  // namespace shell
