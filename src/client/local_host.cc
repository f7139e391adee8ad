#include "client/local_host.h"

#include "platform/sockets.h"

namespace emclient {
namespace {

// The host name and what it resolves to, looked up once: the V3.2 requests
// carry the address, and asking the resolver for it each time would cost
// more than the request.
struct LocalNames {
  std::string hostName;
  std::string resolved;  // empty when the name does not resolve
};

const LocalNames& localNames() {
  static const LocalNames kNames = [] {
    LocalNames names{platform::localHostName(), {}};
    uint32_t address = 0;
    if (names.hostName.empty()) return names;
    if (platform::resolveHostName(names.hostName.c_str(), address)) {
      names.resolved = platform::dottedAddress(address);
    } else {
      // A computer with IPv6 addresses only is known by one of them.
      names.resolved = platform::firstIpv6Address(names.hostName.c_str());
    }
    return names;
  }();
  return kNames;
}

}  // namespace

std::string localAddress() {
  const LocalNames& names = localNames();
  if (!names.resolved.empty()) return names.resolved;
  return platform::firstInterfaceAddress();
}

bool isLocalHost(const std::string& host) {
  if (host == "localhost") return true;
  const LocalNames& names = localNames();
  if (names.hostName.empty()) return false;
  return host == names.hostName ||
         (!names.resolved.empty() &&
          (host == names.resolved || host == "[" + names.resolved + "]"));
}

}  // namespace emclient
