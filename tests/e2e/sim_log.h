// Reading the simulator's request log.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The operations of a simulator request log, one per line, without the
// port, path and user in front; list requests (a Get with an empty ID) only
// when asked for. Logins and control requests are left out.
std::vector<std::string> operationsInLog(const std::string& text,
                                         bool withLists);

}  // namespace e2e
