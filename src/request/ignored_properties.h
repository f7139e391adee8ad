// Properties whose values change from run to run: while a regression
// capture runs, the object display writes a marker in their place, and a
// replay compares a line only up to that marker.
#pragma once

#include "session/session.h"

namespace request {

// The marker that makes a comparison stop at its position in the line.
inline constexpr char kIgnoreMarker[] = "##IGNORE##";

// True while capturing when `name` is such a property.
bool isIgnoredProperty(const session::CommandContext& context,
                       const char* name);

}  // namespace request
