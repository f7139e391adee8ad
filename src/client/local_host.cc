#include "client/local_host.h"

#include "platform/sockets.h"

namespace emclient {

std::string localAddress() {
  uint32_t address = 0;
  std::string name = platform::localHostName();
  if (!name.empty() && platform::resolveHostName(name.c_str(), address)) {
    return platform::dottedAddress(address);
  }
  return platform::firstInterfaceAddress();
}

bool isLocalHost(const std::string& host) {
  if (host == "localhost") return true;
  std::string name = platform::localHostName();
  if (name.empty()) return false;
  if (host == name) return true;
  uint32_t address = 0;
  return platform::resolveHostName(name.c_str(), address) &&
         host == platform::dottedAddress(address);
}

}  // namespace emclient
