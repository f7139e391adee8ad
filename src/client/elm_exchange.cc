#include "client/elm_exchange.h"

#include "client/connection.h"
#include "client/debug_log.h"

namespace emclient {
namespace {

void traceLine(const char* line) {
  if (line != nullptr) trace(Layer::kElm, 2, line);
}

}  // namespace

int exchangeOnElm(const std::string& host, const std::string& port,
                  const std::string& text, std::string& answer,
                  const ExchangeLines& lines) {
  ClientConnection connection(Layer::kElm);
  if (int result = connection.open(host, port, false); result != 0) {
    return result;
  }
  traceLine(lines.opened);
  // The server reads up to the zero byte that ends the text.
  if (int result = connection.send({text.c_str(), text.size() + 1});
      result != 0) {
    return result;
  }
  traceLine(lines.sent);
  if (int result = connection.receiveUntilClosed(answer); result != 0) {
    return result;
  }
  traceLine(lines.received);
  return 0;
}

}  // namespace emclient
