// Properties whose values change from run to run. While a regression
// capture runs, the object display writes a marker in place of their values
// so that later comparisons skip them.
#pragma once

#include "shell/session.h"

namespace request {

inline constexpr char kIgnoreMarker[] = "##IGNORE##";

// True when a regression capture runs and `name` is one of the properties
// whose values are not compared (exact names).
bool isIgnoredProperty(const shell::CommandContext& context, const char* name);

}  // namespace request
