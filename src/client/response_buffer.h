// Texts handed out to callers of the entry points.
#pragma once

#include <string_view>

namespace emclient {

// A malloc'd, terminated copy of `text` in *response and its byte count in
// *length. 0, or 302 (reported) when it cannot be allocated.
int handOut(std::string_view text, char** response, int* length);

// A malloc'd, terminated copy of `text`; nullptr when it cannot be
// allocated.
char* copyForCaller(std::string_view text);

}  // namespace emclient
