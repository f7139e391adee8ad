// Scenario files: the manager's whole state as JSON, loaded at start and
// saved on request, so a run can start from a described array and a saved
// state loads back into the same state.
#pragma once

#include <string>
#include <string_view>

#include "sim/model.h"

namespace sim {

// Reads a scenario. False, with `error` naming the offending entry, when the
// text is not a valid scenario; `model` is then left unchanged.
bool LoadScenario(std::string_view json, Model& model, std::string& error);

// Writes the complete state, identifiers included.
std::string SaveScenario(const Model& model);

// The state a run starts from without a scenario: one user, no systems.
Model EmptyModel();

}  // namespace sim
