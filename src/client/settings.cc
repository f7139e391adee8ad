#include "client/settings.h"

namespace emclient {
namespace {

LayerSettings front;
LayerSettings elm;
int exchangeBound = 0;
Transport connections;

}  // namespace

LayerSettings& settings(Layer layer) {
  return layer == Layer::kFront ? front : elm;
}

int& requestTimeout() { return exchangeBound; }

Transport& transport() { return connections; }

void resetSettings() {
  front = LayerSettings{};
  elm = LayerSettings{};
  exchangeBound = 0;
  connections = Transport{};
}

}  // namespace emclient
