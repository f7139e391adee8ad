// Feeds arbitrary bytes through the simulator's request path: framing on
// both ports, the envelope reader and the operations on a copy of the demo
// model. Seeds: fuzz/corpus/sim_request.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/answer.h"
#include "sim/demo_scenario.h"
#include "sim/http.h"
#include "sim/operations.h"
#include "sim/request.h"
#include "sim/scenario.h"

namespace {

const sim::Model& Demo() {
  static const sim::Model demo = [] {
    sim::Model model;
    std::string error;
    sim::LoadScenario(sim::kDemoScenario, model, error);
    return model;
  }();
  return demo;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (bool loginPort : {false, true}) {
    sim::HttpRequest request;
    size_t consumed = 0;
    std::string problem;
    if (sim::FrameRequest(bytes, loginPort, {}, request, consumed, problem) !=
        sim::Framing::kComplete) {
      continue;
    }
    sim::OperationRequest operation;
    if (!sim::DecodeOperation(request.body, operation, problem)) continue;
    sim::Model model = Demo();
    sim::Answer answer = sim::Execute(model, operation);
    sim::RenderV1(answer, sim::IsQuery(operation));
    sim::RenderV3(answer, "3.2");
  }
  // The body alone as an envelope, so the reader is reached without framing.
  sim::OperationRequest operation;
  std::string problem;
  if (sim::DecodeOperation(bytes, operation, problem)) {
    sim::Model model = Demo();
    sim::Execute(model, operation);
  }
  return 0;
}
