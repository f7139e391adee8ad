// The local computer as the requests see it.
#pragma once

#include <string>

namespace emclient {

// The dotted IPv4 address of the local computer: its host name resolved
// (looked up once per process), else the first address of an interface
// that is up (a non-loopback one preferred). A computer without IPv4
// addresses gives an IPv6 one the same way. Empty when there is none.
std::string localAddress();

// True for "localhost", the computer's host name and the address that name
// resolves to (an IPv6 one with or without its brackets).
bool isLocalHost(const std::string& host);

}  // namespace emclient
