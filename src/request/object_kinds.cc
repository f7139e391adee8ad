#include "request/object_kinds.h"

#include "session/session.h"

namespace request {
namespace {

struct KindNames {
  const char* display;
  const char* element;
};

constexpr KindNames kKindNames[session::kObjectKindCount] = {
    {"All", "All"},
    {"Systems", "Element"},
    {"Disks", "Disk"},
    {"Folders", "Folder"},
    {"Hosts", "StorageClient"},
    {"Monitors", "Monitor"},
    {"Vdisks", "Storage"},
    {"LUNs", "PresentedUnit"},
    {"Disk_Groups", "DiskGroup"},
    {"Disk_Events", "DiskEvents"},
    {"Monitor_Events", "Monitor"},
    {"Management_Events", "ManagementEvents"},
    {"System_Events", "SystemEvents"},
    {"Termination_Events", "TerminationEvents"},
    {"World_Wide_Names", "WorldWideNames"},
    {"Power", "Power"},
    {"DR_Groups", "drmgroup"},
};

}  // namespace

const char* displayName(ObjectKind kind) { return kKindNames[kind].display; }

const char* elementType(ObjectKind kind) { return kKindNames[kind].element; }

}  // namespace request
