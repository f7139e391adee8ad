// The disk exercise's choice of disks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/emclient_api.h"

namespace emclient {

// The names of a comma-separated list, blanks around them removed, empty
// pieces dropped.
std::vector<std::string> splitDiskNames(std::string_view names);

// The object ids of the disks to exercise: for each name in order the
// first disk whose name begins with it, or every disk when no name is
// given. False when a name matches no disk.
bool chooseDisks(const std::vector<std::string>& names,
                 const ObjectListEntry* disks, std::vector<std::string>& ids);

}  // namespace emclient
