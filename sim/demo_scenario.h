// The demo scenario (scenarios/demo.json), built into the program so that
// --demo works wherever the binary is.
#pragma once

namespace sim {

extern const char kDemoScenario[];

}  // namespace sim
