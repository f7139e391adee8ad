// The kinds of managed objects, with their names in SHOW output and the
// element types of version-1 requests.
#pragma once

#include <cstdint>

namespace request {

enum ObjectKind : uint8_t {
  kAll = 0,
  kSystems = 1,
  kDisks = 2,
  kFolders = 3,
  kHosts = 4,
  kMonitors = 5,
  kVdisks = 6,
  kLuns = 7,
  kDiskGroups = 8,
  kDiskEvents = 9,
  kMonitorEvents = 10,
  kManagementEvents = 11,
  kSystemEvents = 12,
  kTerminationEvents = 13,
  kWorldWideNames = 14,
  kPower = 15,
  kDrGroups = 16,
};

// "Systems", "Vdisks", ...
const char* displayName(ObjectKind kind);

// "Element", "Storage", ...
const char* elementType(ObjectKind kind);

}  // namespace request
