#include "sim/model.h"

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {

template <typename T>
T* FindById(std::vector<T>& objects, std::string_view id) {
  for (T& object : objects) {
    if (object.id == id) return &object;
  }
  return nullptr;
}

std::string FormatId(int kind, int number, uint64_t serial) {
  char text[48];
  std::snprintf(text, sizeof text, "%02X%06X%016X%016llX", kind,
                number & 0xFFFFFF, 0u, static_cast<unsigned long long>(serial));
  return text;
}

bool IsPrintable(char c) { return c >= 0x20 && c <= 0x7E; }

bool HasNameForbidden(std::string_view text) {
  return text.find_first_of("?\"/\\<>*|:&+,%") != std::string_view::npos;
}

}  // namespace

std::string SystemIdFor(int number) {
  return FormatId(static_cast<int>(IdKind::kSystem), number, 0);
}

std::string NewId(StorageSystem& system, IdKind kind) {
  return FormatId(static_cast<int>(kind), system.number, system.nextSerial++);
}

std::string FolderPath(const StorageSystem& system, std::string_view folderId) {
  std::vector<const Folder*> chain;
  std::string_view at = folderId;
  while (!at.empty() && chain.size() < 64) {
    const Folder* folder = nullptr;
    for (const Folder& candidate : system.folders) {
      if (candidate.id == at) folder = &candidate;
    }
    if (folder == nullptr) break;
    chain.push_back(folder);
    at = folder->parentId;
  }
  std::string path = "\\";
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += (*it)->name + "\\";
  }
  return path;
}

std::string GroupName(const StorageSystem& system, const DiskGroup& group) {
  return FolderPath(system, group.folderId) + group.name;
}

std::string HostName(const StorageSystem& system, const Host& host) {
  return FolderPath(system, host.folderId) + host.name;
}

std::string VdiskName(const StorageSystem& system, const Vdisk& vdisk) {
  if (vdisk.snapshotOf.empty()) {
    return FolderPath(system, vdisk.folderId) + vdisk.name + "\\ACTIVE";
  }
  for (const Vdisk& source : system.vdisks) {
    if (source.id == vdisk.snapshotOf) {
      return FolderPath(system, source.folderId) + source.name + "\\" +
             vdisk.name;
    }
  }
  return FolderPath(system, vdisk.folderId) + vdisk.name;
}

std::string DrGroupName(const StorageSystem& system, const DrGroup& group) {
  return FolderPath(system, group.folderId) + group.name;
}

StorageSystem* FindSystem(Model& model, std::string_view id) {
  return FindById(model.systems, id);
}

StorageSystem* FindSystemByName(Model& model, std::string_view name) {
  for (StorageSystem& system : model.systems) {
    if (system.name == name) return &system;
  }
  return nullptr;
}

Folder* FindFolder(StorageSystem& system, std::string_view id) {
  return FindById(system.folders, id);
}

Folder* FindRootFolder(StorageSystem& system, std::string_view name) {
  for (Folder& folder : system.folders) {
    if (folder.parentId.empty() && folder.name == name) return &folder;
  }
  return nullptr;
}

Disk* FindDisk(StorageSystem& system, std::string_view id) {
  return FindById(system.disks, id);
}
DiskGroup* FindGroup(StorageSystem& system, std::string_view id) {
  return FindById(system.groups, id);
}
Host* FindHost(StorageSystem& system, std::string_view id) {
  return FindById(system.hosts, id);
}
Vdisk* FindVdisk(StorageSystem& system, std::string_view id) {
  return FindById(system.vdisks, id);
}
Presentation* FindLun(StorageSystem& system, std::string_view id) {
  return FindById(system.luns, id);
}
DrGroup* FindDrGroup(StorageSystem& system, std::string_view id) {
  return FindById(system.drGroups, id);
}
Controller* FindController(StorageSystem& system, std::string_view id) {
  return FindById(system.controllers, id);
}
Monitor* FindMonitor(StorageSystem& system, std::string_view id) {
  return FindById(system.monitors, id);
}

std::string RootOf(const StorageSystem& system, std::string_view folderId) {
  std::string_view at = folderId;
  for (int depth = 0; depth < 64; ++depth) {
    const Folder* folder = nullptr;
    for (const Folder& candidate : system.folders) {
      if (candidate.id == at) folder = &candidate;
    }
    if (folder == nullptr) return "";
    if (folder->parentId.empty()) return folder->name;
    at = folder->parentId;
  }
  return "";
}

int AllocationFor(int sizeGb, std::string_view redundancy) {
  if (redundancy == "Vraid1") return sizeGb * 2;
  if (redundancy == "Vraid5") return (sizeGb * 5 + 3) / 4;
  return sizeGb;
}

int AllocatedGb(const StorageSystem& system, const Vdisk& vdisk) {
  (void)system;
  if (vdisk.demandAllocated) return 0;
  return AllocationFor(vdisk.sizeGb, vdisk.redundancy);
}

GroupCapacity CapacityOf(const StorageSystem& system, const DiskGroup& group) {
  GroupCapacity capacity;
  int largest = 0;
  for (const Disk& disk : system.disks) {
    if (disk.groupId != group.id) continue;
    ++capacity.disks;
    capacity.rawGb += disk.capacityGb;
    largest = std::max(largest, disk.capacityGb);
  }
  int spares = group.sparePolicy == "Double"   ? 4
               : group.sparePolicy == "Single" ? 2
                                               : 0;
  capacity.usableGb = std::max(0, capacity.rawGb - spares * largest);
  for (const Vdisk& vdisk : system.vdisks) {
    if (vdisk.groupId == group.id)
      capacity.usedGb += AllocatedGb(system, vdisk);
  }
  return capacity;
}

void AddRootFolders(StorageSystem& system) {
  for (std::string_view root : {kVdiskRoot, kHostRoot, kGroupRoot, kDrRoot}) {
    if (FindRootFolder(system, root) != nullptr) continue;
    Folder folder;
    folder.id = NewId(system, IdKind::kFolder);
    folder.name = std::string(root);
    system.folders.push_back(std::move(folder));
  }
}

void AddHardware(StorageSystem& system) {
  if (system.controllers.empty()) {
    for (const char* name :
         {"\\Hardware\\Controller A", "\\Hardware\\Controller B"}) {
      system.controllers.push_back(
          Controller{NewId(system, IdKind::kController), name, "good"});
    }
  }
  if (system.monitors.empty()) {
    for (const char* name :
         {"Controller Enclosure Monitor", "Disk Enclosure Monitor"}) {
      system.monitors.push_back(
          Monitor{NewId(system, IdKind::kMonitor), name, "", "good"});
    }
  }
}

void InitializeSystem(StorageSystem& system, std::string_view name,
                      int deviceCount, std::string_view sparePolicy,
                      std::string_view diskType) {
  system.name = std::string(name);
  system.initialized = true;
  AddRootFolders(system);
  DiskGroup group;
  group.id = NewId(system, IdKind::kDiskGroup);
  group.name = "Default Disk Group";
  group.folderId = FindRootFolder(system, kGroupRoot)->id;
  group.sparePolicy = std::string(sparePolicy);
  group.diskType = std::string(diskType);
  int taken = 0;
  for (Disk& disk : system.disks) {
    if (taken == deviceCount) break;
    if (disk.groupId.empty() && disk.type == diskType) {
      disk.groupId = group.id;
      ++taken;
    }
  }
  system.groups.push_back(std::move(group));
}

std::string GeneratedLunWwn(const StorageSystem& system, const Vdisk& vdisk) {
  std::string tail =
      vdisk.id.size() > 16 ? vdisk.id.substr(vdisk.id.size() - 16) : vdisk.id;
  char hex[48];
  std::snprintf(hex, sizeof hex, "60%06X5E1A0000%16s", system.number & 0xFFFFFF,
                tail.c_str());
  std::string grouped;
  for (size_t i = 0; i < 32; ++i) {
    char c = hex[i] == ' ' ? '0' : hex[i];
    if (i > 0 && i % 4 == 0) grouped += '-';
    grouped += c;
  }
  return grouped;
}

void RecordEvent(Model& model, StorageSystem& system, std::string_view kind,
                 std::string_view code, std::string text) {
  ++model.clock;
  Event event;
  event.id = NewId(system, IdKind::kEvent);
  event.kind = std::string(kind);
  event.code = std::string(code);
  event.text = std::move(text);
  event.time = model.clock;
  system.events.push_back(std::move(event));
  // Keep the log bounded like a real event log.
  constexpr size_t kMaxEvents = 500;
  if (system.events.size() > kMaxEvents) {
    system.events.erase(system.events.begin());
  }
}

bool IsPlainText(std::string_view text, size_t maxLength) {
  if (text.size() > maxLength) return false;
  for (char c : text) {
    if (!IsPrintable(c) || c == '<' || c == '>' || c == '&') return false;
  }
  return true;
}

bool IsValidName(std::string_view name) {
  return !name.empty() && IsPlainText(name, 32) && !HasNameForbidden(name);
}

bool IsValidComment(std::string_view comment) {
  return IsPlainText(comment, 128) && !HasNameForbidden(comment);
}

}  // namespace sim
