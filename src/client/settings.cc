#include "client/settings.h"

namespace emclient {
namespace {

LayerSettings front;
LayerSettings elm;

}  // namespace

LayerSettings& settings(Layer layer) {
  return layer == Layer::kFront ? front : elm;
}

void resetSettings() {
  front = LayerSettings{};
  elm = LayerSettings{};
}

}  // namespace emclient
