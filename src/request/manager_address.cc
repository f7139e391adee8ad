#include "request/manager_address.h"

#include <algorithm>

#include "client/protocol_names.h"

namespace request {
namespace {

struct Scheme {
  std::string_view prefix;
  bool tls;
};

// Kept as written here, whatever case the user typed it in.
constexpr Scheme kSchemes[] = {{"https://", true}, {"http://", false}};

const Scheme* schemeOf(std::string_view text) {
  auto sameLetter = [](char wanted, char typed) {
    return (typed >= 'A' && typed <= 'Z' ? static_cast<char>(typed - 'A' + 'a')
                                         : typed) == wanted;
  };
  for (const Scheme& scheme : kSchemes) {
    if (text.size() >= scheme.prefix.size() &&
        std::equal(scheme.prefix.begin(), scheme.prefix.end(), text.begin(),
                   sameLetter)) {
      return &scheme;
    }
  }
  return nullptr;
}

}  // namespace

bool completeManagerAddress(std::string_view typed, std::string& kept,
                            std::string& error) {
  const Scheme* scheme = schemeOf(typed);
  std::string_view prefix = scheme != nullptr ? scheme->prefix : "";
  std::string_view rest = typed.substr(prefix.size());
  // After a scheme, a user name, password or path would be kept and shown
  // wherever the manager is named, and never used.
  if (scheme != nullptr &&
      (rest.empty() || rest.front() == ':' ||
       rest.find_first_of("@/?#") != std::string_view::npos)) {
    error = "\nError: Manager address " + std::string(typed) +
            ": only a host and a port (:PORT) may follow " +
            std::string(prefix);
    return false;
  }
  bool hasPort = false;
  if (!rest.empty() && rest.front() == '[') {
    std::size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      error = "\nError: Manager address " + std::string(typed) +
              " lacks the ] that ends its IPv6 address";
      return false;
    }
    std::string_view after = rest.substr(close + 1);
    if (!after.empty() && after.front() != ':') {
      error = "\nError: Manager address " + std::string(typed) +
              ": only a port (:PORT) may follow the ]";
      return false;
    }
    hasPort = !after.empty();
  } else {
    auto colons = std::count(rest.begin(), rest.end(), ':');
    // "fd00::5:2301" is an address of its own as well as one with a port:
    // only brackets tell which is meant.
    if (colons > 1) {
      std::string bracketed =
          std::string(prefix) + "[" + std::string(rest) + "]";
      error = "\nError: Manager address " + std::string(typed) +
              " is ambiguous: write an IPv6 address in brackets, as " +
              bracketed + " or " + bracketed + ":" + emclient::kManagerPort;
      return false;
    }
    hasPort = colons == 1;
  }
  kept = std::string(prefix) + std::string(rest);
  if (!hasPort) kept += std::string(":") + emclient::kManagerPort;
  return true;
}

bool managerUsesTls(std::string_view kept) {
  const Scheme* scheme = schemeOf(kept);
  return scheme != nullptr && scheme->tls;
}

std::string_view managerHostAndPort(std::string_view kept) {
  const Scheme* scheme = schemeOf(kept);
  return scheme != nullptr ? kept.substr(scheme->prefix.size()) : kept;
}

std::string_view managerHost(std::string_view kept) {
  std::string_view address = managerHostAndPort(kept);
  std::size_t end = !address.empty() && address.front() == '['
                        ? address.find(']')
                        : address.find(':');
  if (end == std::string_view::npos) return address;
  return address.substr(0, address.front() == '[' ? end + 1 : end);
}

}  // namespace request
