// A management server on a loopback address for the memory benchmarks:
// every request is answered with the list of the kind of object it asks
// for (its Type), made once per kind by the benchmark's function.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "loopback_server.h"

namespace bench_support {

class ListServer {
 public:
  // The payload of the answer for an element type ("Element", "Storage").
  using Lists = std::function<std::string(const std::string& elementType)>;

  ListServer(const std::string& address, Lists lists);

  bool listening() const { return server_.listening(); }

  // The size on the wire of the answer for an element type.
  std::size_t answerSize(const std::string& elementType);

 private:
  const std::string& answerFor(const std::string& elementType);

  Lists lists_;
  std::mutex mutex_;
  std::map<std::string, std::string> answers_;
  emclient_test::LoopbackServer server_;
};

// A list answer as the server sends it: an array of rows of a name and an
// identifier, then the success message.
std::string listPayload(int rows, const std::function<std::string(int)>& name,
                        const std::function<std::string(int)>& id);

}  // namespace bench_support
