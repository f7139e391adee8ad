// One exchange of the ELM path: a fresh connection, the text sent with its
// terminating zero byte, the answer read until the server closes.
#pragma once

#include <string>

namespace emclient {

// Trace lines written (level 2) after the connection opened, after the
// send and after the answer arrived; null writes none.
struct ExchangeLines {
  const char* opened;
  const char* sent;
  const char* received;
};

// 0 or the connection's code (102 to 111).
int exchangeOnElm(const std::string& host, const std::string& port,
                  const std::string& text, std::string& answer,
                  const ExchangeLines& lines);

}  // namespace emclient
