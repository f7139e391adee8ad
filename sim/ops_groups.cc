// Disk groups, folders and disks.
#include "sim/handlers.h"

namespace sim {
namespace {

constexpr Term kSparePolicies[] = {
    {"None", "None"}, {"Single", "Single"}, {"Double", "Double"}};
constexpr Term kDiskTypes[] = {{"Online", "Online"},
                               {"Near-Online", "Near-Online"}};
constexpr int kMinimumDisks = 8;

std::optional<Answer> ReadAlarm(const Context& c, int& alarm) {
  const std::string* value = Prop(c, "occupancyalarmlevel");
  if (value == nullptr) return std::nullopt;
  std::optional<int> level = ParseNumber(*value, 1, 100);
  if (!level) {
    return Refuse(Refusal::kInvalidValue, "occupancyalarmlevel " + *value);
  }
  alarm = *level;
  return std::nullopt;
}

std::optional<Answer> ReadSparePolicy(const Context& c, std::string& policy) {
  const std::string* value = Prop(c, "SparePolicy");
  if (value == nullptr) return std::nullopt;
  auto known = Translate(kSparePolicies, *value);
  if (!known) return Refuse(Refusal::kInvalidValue, "SparePolicy " + *value);
  policy = *known;
  return std::nullopt;
}

// Refuses when fewer than `count` free disks of the group's type exist.
std::optional<Answer> CheckFreeDisks(const StorageSystem& s,
                                     const DiskGroup& group, int count) {
  int free = 0;
  for (const Disk& disk : s.disks) {
    free += disk.groupId.empty() && disk.type == group.diskType ? 1 : 0;
  }
  if (count > free) {
    return Refuse(Refusal::kNotEnoughDisks,
                  std::to_string(count) + " " + group.diskType +
                      " disks asked, " + std::to_string(free) + " free");
  }
  return std::nullopt;
}

// Moves `count` free disks of the group's type into it.
void TakeFreeDisks(StorageSystem& s, const DiskGroup& group, int count) {
  for (Disk& disk : s.disks) {
    if (count == 0) break;
    if (disk.groupId.empty() && disk.type == group.diskType) {
      disk.groupId = group.id;
      --count;
    }
  }
}

}  // namespace

Answer CreateDiskGroup(Context& c) {
  StorageSystem& s = *c.system;
  DiskGroup group;
  const std::string* name = Prop(c, "Name");
  if (name == nullptr) return Refuse(Refusal::kMissingProperty, "Name");
  if (auto refused = ChooseFolder(c, kGroupRoot, group.folderId)) {
    return *refused;
  }
  if (auto refused =
          CheckNewName(*name, NameTakenInFolder(s, group.folderId, *name))) {
    return *refused;
  }
  group.name = *name;
  int count = kMinimumDisks;
  if (const std::string* value = Prop(c, "DeviceCount")) {
    std::optional<int> number = ParseNumber(*value, 1, 100000);
    if (!number) return Refuse(Refusal::kInvalidValue, "DeviceCount " + *value);
    count = *number;
  }
  if (count < kMinimumDisks) return Refuse(Refusal::kTooFewDisks);
  if (const std::string* value = Prop(c, "diskgrpdisktype")) {
    auto type = Translate(kDiskTypes, *value);
    if (!type) {
      return Refuse(Refusal::kInvalidValue, "diskgrpdisktype " + *value);
    }
    group.diskType = *type;
  }
  if (auto refused = ReadSparePolicy(c, group.sparePolicy)) return *refused;
  if (auto refused = ReadAlarm(c, group.alarmLevel)) return *refused;
  if (auto refused = ReadComment(c, group.comment)) return *refused;
  if (auto refused = CheckFreeDisks(s, group, count)) return *refused;
  group.id = NewId(s, IdKind::kDiskGroup);
  TakeFreeDisks(s, group, count);
  s.groups.push_back(group);
  return Done("Disk group " + GroupName(s, group) + " created", group.id);
}

// Works on a copy of the system so that a refused change leaves nothing
// half done.
Answer SetDiskGroup(Context& c) {
  const std::string* id = Prop(c, "ID");
  if (id == nullptr || FindGroup(*c.system, *id) == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  StorageSystem s = *c.system;
  DiskGroup& group = *FindGroup(s, *id);
  if (const std::string* name = Prop(c, "Name")) {
    if (auto refused = CheckNewName(
            *name, NameTakenInFolder(s, group.folderId, *name, group.id))) {
      return *refused;
    }
    group.name = *name;
  }
  if (auto refused = ReadComment(c, group.comment)) return *refused;
  if (auto refused = ReadAlarm(c, group.alarmLevel)) return *refused;
  if (auto refused = ReadSparePolicy(c, group.sparePolicy)) return *refused;
  if (const std::string* value = Prop(c, "AddDiskCount")) {
    std::optional<int> count = ParseNumber(*value, 1, 100000);
    if (!count) return Refuse(Refusal::kInvalidValue, "AddDiskCount " + *value);
    if (auto refused = CheckFreeDisks(s, group, *count)) return *refused;
    TakeFreeDisks(s, group, *count);
  }
  if (const std::string* diskId = Prop(c, "DeleteDiskID")) {
    Disk* disk = FindDisk(s, *diskId);
    if (disk == nullptr) return Refuse(Refusal::kNoSuchObject, *diskId);
    if (disk->groupId != group.id) {
      const DiskGroup* other = FindGroup(s, disk->groupId);
      return Refuse(
          Refusal::kDiskNotInGroup,
          disk->name + (other == nullptr ? " is ungrouped"
                                         : " is in " + GroupName(s, *other)));
    }
    disk->groupId.clear();
  }
  GroupCapacity capacity = CapacityOf(s, group);
  if (capacity.disks < kMinimumDisks || capacity.usableGb < capacity.usedGb) {
    return Refuse(Refusal::kTooFewDisks, GroupName(s, group));
  }
  *c.system = std::move(s);
  DiskGroup& changed = *FindGroup(*c.system, *id);
  return Done("Disk group " + GroupName(*c.system, changed) + " changed");
}

Answer DeleteDiskGroup(Context& c) {
  StorageSystem& s = *c.system;
  const std::string* id = Prop(c, "ID");
  DiskGroup* group = id != nullptr ? FindGroup(s, *id) : nullptr;
  if (group == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  std::string name = GroupName(s, *group);
  for (const Vdisk& vdisk : s.vdisks) {
    if (vdisk.groupId == group->id) return Refuse(Refusal::kGroupInUse, name);
  }
  for (Disk& disk : s.disks) {
    if (disk.groupId == group->id) disk.groupId.clear();
  }
  std::erase_if(s.groups, [&](const DiskGroup& g) { return g.id == *id; });
  return Done("Disk group " + name + " deleted");
}

// New folders go below an existing folder, whose identifier the request
// carries as "ID".
Answer CreateFolder(Context& c) {
  StorageSystem& s = *c.system;
  const std::string* parentId = Prop(c, "ID");
  const Folder* parent =
      parentId != nullptr ? FindFolder(s, *parentId) : nullptr;
  if (parent == nullptr) {
    return Refuse(Refusal::kNoSuchObject,
                  parentId != nullptr ? *parentId : "ID");
  }
  std::string root = RootOf(s, parent->id);
  if (root != kVdiskRoot && root != kHostRoot) {
    return Refuse(Refusal::kWrongFolder, FolderPath(s, parent->id));
  }
  const std::string* name = Prop(c, "Name");
  if (name == nullptr) return Refuse(Refusal::kMissingProperty, "Name");
  if (auto refused =
          CheckNewName(*name, NameTakenInFolder(s, parent->id, *name))) {
    return *refused;
  }
  Folder folder;
  folder.name = *name;
  folder.parentId = parent->id;
  if (auto refused = ReadComment(c, folder.comment)) return *refused;
  folder.id = NewId(s, IdKind::kFolder);
  s.folders.push_back(folder);
  return Done("Folder " + FolderPath(s, folder.id) + " created", folder.id);
}

Answer SetFolder(Context& c) {
  StorageSystem& s = *c.system;
  const std::string* id = Prop(c, "ID");
  Folder* folder = id != nullptr ? FindFolder(s, *id) : nullptr;
  if (folder == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  Folder updated = *folder;
  if (const std::string* name = Prop(c, "Name")) {
    if (folder->parentId.empty()) {
      return Refuse(Refusal::kRootFolder, FolderPath(s, folder->id));
    }
    if (auto refused = CheckNewName(
            *name, NameTakenInFolder(s, folder->parentId, *name, folder->id))) {
      return *refused;
    }
    updated.name = *name;
  }
  if (auto refused = ReadComment(c, updated.comment)) return *refused;
  *folder = updated;
  return Done("Folder " + FolderPath(s, folder->id) + " changed");
}

Answer DeleteFolder(Context& c) {
  StorageSystem& s = *c.system;
  const std::string* id = Prop(c, "ID");
  Folder* folder = id != nullptr ? FindFolder(s, *id) : nullptr;
  if (folder == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  std::string path = FolderPath(s, folder->id);
  if (folder->parentId.empty()) return Refuse(Refusal::kRootFolder, path);
  bool used = false;
  for (const Folder& child : s.folders) used |= child.parentId == *id;
  for (const Vdisk& vdisk : s.vdisks) used |= vdisk.folderId == *id;
  for (const Host& host : s.hosts) used |= host.folderId == *id;
  if (used) return Refuse(Refusal::kFolderNotEmpty, path);
  std::erase_if(s.folders, [&](const Folder& f) { return f.id == *id; });
  return Done("Folder " + path + " deleted");
}

Answer SetDisk(Context& c) {
  StorageSystem& s = *c.system;
  const std::string* id = Prop(c, "ID");
  Disk* disk = id != nullptr ? FindDisk(s, *id) : nullptr;
  if (disk == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  Disk updated = *disk;
  if (const std::string* name = Prop(c, "Name")) {
    bool taken = false;
    for (const Disk& other : s.disks) {
      taken |= other.id != disk->id && other.name == *name;
    }
    if (auto refused = CheckNewName(*name, taken)) return *refused;
    updated.name = *name;
  }
  if (auto refused = ReadComment(c, updated.comment)) return *refused;
  *disk = updated;
  return Done("Disk " + disk->name + " changed");
}

}  // namespace sim
