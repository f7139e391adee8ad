// Scenario files: the manager's whole state as JSON, loaded at start and
// saved on request, so a run can start from a described array and a saved
// state loads back into the same state.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/model.h"

namespace sim {

// Reads a scenario. False, with `error` naming the offending entry, when the
// text is not a valid scenario; `model` is then left unchanged. A user
// listed without a password keeps the one the user of that name has in
// `knownUsers` (a state read without its passwords, given back); any other
// user needs one.
bool LoadScenario(std::string_view json, Model& model, std::string& error,
                  const std::vector<User>& knownUsers = {});

// Writes the complete state, identifiers included, and the users'
// passwords unless `withPasswords` is false.
std::string SaveScenario(const Model& model, bool withPasswords = true);

// The state a run starts from without a scenario: one user, no systems.
Model EmptyModel();

}  // namespace sim
