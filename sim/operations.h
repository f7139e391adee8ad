// Carries out decoded operations on the model: the dispatch from operation
// and object type to the handler that enforces the array's rules.
#pragma once

#include "sim/answer.h"
#include "sim/model.h"
#include "sim/request.h"

namespace sim {

// Carries out `request` on `model`. Never fails: a request the array would
// refuse gets a refusal answer and leaves the model as it was.
Answer Execute(Model& model, const OperationRequest& request);

// Whether an answer to `request` is a query (written inside getResponse).
bool IsQuery(const OperationRequest& request);

}  // namespace sim
