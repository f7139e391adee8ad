// A parsed answer as JSON, for --json: what the detail layout prints,
// without its layout.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "session/session.h"

namespace request {

// The chain after `root` and every structure below it as one JSON object,
// in the server's order: an element is a key with its value as the server
// sent it (a string); the rows of an array are an array of objects under
// the array's label ("Member" without one), empty when the array has no
// rows; a category is an object under
// its label ("Category" without one). A key met again in the same object
// holds the array of everything given for it, in order. The walk keeps its
// own stack, so any tree the parser built is converted safely.
nlohmann::ordered_json ResponseJson(const session::ResponseNode* root);

}  // namespace request
