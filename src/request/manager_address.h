// The manager's address as SELECT MANAGER keeps it: the host, IPv6
// addresses in brackets, always with a port, and "https://" (or "http://")
// in front when the user gave it.
#pragma once

#include <string>
#include <string_view>

namespace request {

// The address to keep for `typed`: with ":12301" appended when it names no
// port. An IPv6 address outside brackets, whose last group could as well
// be a port, is refused, as is one whose brackets do not close or are
// followed by something other than a port, and so is anything but a host
// and port after a scheme (a user, a path, no host). False with `error` set
// to the message.
bool completeManagerAddress(std::string_view typed, std::string& kept,
                            std::string& error);

// Whether a kept address is reached over TLS.
bool managerUsesTls(std::string_view kept);

// The kept address without its scheme: the host and port of the requests'
// "Host:" line.
std::string_view managerHostAndPort(std::string_view kept);

// Only the host, an IPv6 address with its brackets.
std::string_view managerHost(std::string_view kept);

}  // namespace request
