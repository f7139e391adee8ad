// Reading the answers of the library's own operations.
#pragma once

#include <string_view>

#include "client/emclient_api.h"

namespace emclient {

// Appends an entry for every "<objectid>" of an object-list answer to the
// end of *list; a record without its "<objectname>" or "<objecthexuid>"
// ends the list. 0, or 302.
int appendObjects(std::string_view answer, ObjectListEntry** list);

// The version and build of a system-information answer into two 80-byte
// texts that hold "unknown". 0, 203 for a missing element, 301 for a text
// too long.
int readSystemInfo(std::string_view answer, char* version, char* build);

}  // namespace emclient
