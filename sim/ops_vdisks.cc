// Virtual disks, snapshots and copies.
#include "sim/handlers.h"

namespace sim {
namespace {

constexpr Term kRedundancies[] = {
    {"NONE", "Vraid0"}, {"MIRROR", "Vraid1"}, {"PARITY", "Vraid5"}};
constexpr Term kWriteCaches[] = {
    {"Mirrored Write-Back", "Mirrored write-back"},
    {"Unmirrored Write-Back", "Unmirrored write-back"}};
constexpr Term kReadCaches[] = {{"On", "On"}, {"Off", "Off"}};
constexpr Term kWriteProtects[] = {{"YES", "Yes"}, {"NO", "No"}};
constexpr Term kPreferredPaths[] = {{"NO_PREFERENCE", "No preference"},
                                    {"A_FAILOVER", "Path A-Failover only"},
                                    {"A_BOTH", "Path A-Failover/failback"},
                                    {"B_FAILOVER", "Path B-Failover only"},
                                    {"B_BOTH", "Path B-Failover/failback"}};
constexpr Term kModes[] = {{"synchronous", "synchronous"},
                           {"asynchronous", "asynchronous"}};
constexpr Term kAllocations[] = {{"1", "fully"}, {"0", "demand"}};
constexpr int kMaxSizeGb = 65535;
constexpr int kMaxSnapshots = 7;
constexpr std::string_view kActiveMember = "ACTIVE";

// The settings every virtual disk request may carry.
std::optional<Answer> ReadSettings(const Context& c, Vdisk& v) {
  std::string ignored;
  if (auto r = ReadTerm(c, "WriteCache", kWriteCaches, v.writeCache)) return r;
  if (auto r = ReadTerm(c, "ReadCache", kReadCaches, v.readCache)) return r;
  if (auto r = ReadTerm(c, "WriteProtect", kWriteProtects, v.writeProtect)) {
    return r;
  }
  if (auto r = ReadTerm(c, "PrefPath", kPreferredPaths, v.preferredPath)) {
    return r;
  }
  if (auto r = ReadTerm(c, "creationmode", kModes, ignored)) return r;
  if (auto r = ReadComment(c, v.comment)) return r;
  if (const std::string* value = Prop(c, "BraskelID")) {
    std::optional<int> id = ParseNumber(*value, 0, 32767);
    if (!id) return Refuse(Refusal::kInvalidValue, "BraskelID " + *value);
    v.osUnitId = *id;
  }
  return std::nullopt;
}

bool WwnInUse(const Model& model, std::string_view wwn,
              std::string_view except) {
  for (const StorageSystem& system : model.systems) {
    for (const Vdisk& vdisk : system.vdisks) {
      if (vdisk.id != except && vdisk.lunWwn == wwn) return true;
    }
  }
  return false;
}

// The world wide LUN name given, if any (a disk without one gets a name made
// from its identifier once it has one).
std::optional<Answer> ReadLunWwn(const Context& c, Vdisk& v) {
  std::vector<std::string> given = AllProperties(c.request, "lunwwn");
  if (given.empty()) return std::nullopt;
  if (given.size() > 1) {
    return Refuse(Refusal::kInvalidValue, "only one lunwwn may be given");
  }
  std::optional<std::string> wwn = NormaliseWwn(given.front(), 32);
  if (!wwn || wwn->front() != '6') {
    return Refuse(Refusal::kInvalidValue, "lunwwn " + given.front());
  }
  if (WwnInUse(c.model, *wwn, v.id)) return Refuse(Refusal::kWwnInUse, *wwn);
  v.lunWwn = *wwn;
  return std::nullopt;
}

// Gives a new disk its identifier and, when it has none, its LUN name.
void Identify(StorageSystem& s, Vdisk& v, int64_t clock) {
  v.id = NewId(s, IdKind::kVdisk);
  if (v.lunWwn.empty()) v.lunWwn = GeneratedLunWwn(s, v);
  v.created = clock;
}

std::optional<Answer> CheckRoom(const StorageSystem& s, const DiskGroup& group,
                                int extraGb) {
  GroupCapacity capacity = CapacityOf(s, group);
  int available = capacity.usableGb - capacity.usedGb;
  if (extraGb > available) {
    return Refuse(Refusal::kNoCapacity,
                  GroupName(s, group) + " has " + std::to_string(available) +
                      " GB, " + std::to_string(extraGb) + " GB needed");
  }
  return std::nullopt;
}

Vdisk* VdiskFromId(Context& c, const char* key, Answer& refused) {
  const std::string* id = Prop(c, key);
  Vdisk* vdisk = id != nullptr ? FindVdisk(*c.system, *id) : nullptr;
  if (vdisk == nullptr) {
    refused = Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : key);
  }
  return vdisk;
}

bool HasSnapshots(const StorageSystem& s, const Vdisk& vdisk) {
  for (const Vdisk& other : s.vdisks) {
    if (other.snapshotOf == vdisk.id) return true;
  }
  return false;
}

// A family's members are its active disk, listed as ACTIVE, and its
// snapshots: no two may share a name.
bool SnapshotNameTaken(const StorageSystem& s, const Vdisk& source,
                       std::string_view name, std::string_view except) {
  if (name == kActiveMember) return true;
  for (const Vdisk& other : s.vdisks) {
    if (other.snapshotOf == source.id && other.id != except &&
        other.name == name) {
      return true;
    }
  }
  return false;
}

Answer Snapshot(Context& c, const Vdisk& source, std::string_view name) {
  StorageSystem& s = *c.system;
  Vdisk snapshot = source;
  snapshot.name = std::string(name);
  snapshot.snapshotOf = source.id;
  snapshot.comment.clear();
  snapshot.lunWwn.clear();
  snapshot.drmMode.clear();
  snapshot.drGroupId.clear();
  snapshot.remoteVdiskId.clear();
  snapshot.remoteSystemId.clear();
  if (const std::string* folder = Prop(c, "FolderID")) {
    if (!folder->empty() && *folder != source.folderId) {
      return Refuse(Refusal::kWrongFolder,
                    "snapshots stay beside their source");
    }
  }
  if (const std::string* group = Prop(c, "GroupID")) {
    if (!group->empty() && *group != source.groupId) {
      return Refuse(Refusal::kWrongFolder,
                    "snapshots stay in their source's disk group");
    }
  }
  if (!IsValidName(name)) return Refuse(Refusal::kInvalidName, name);
  if (SnapshotNameTaken(s, source, name, "")) {
    return Refuse(Refusal::kNameInUse, name);
  }
  int count = 0;
  for (const Vdisk& other : s.vdisks) count += other.snapshotOf == source.id;
  if (count >= kMaxSnapshots) {
    return Refuse(Refusal::kTooManySnapshots, VdiskName(s, source));
  }
  std::string allocation = "fully";
  if (auto r = ReadTerm(c, "spaceefficiency", kAllocations, allocation)) {
    return *r;
  }
  snapshot.demandAllocated = allocation == "demand";
  if (auto r = ReadTerm(c, "RedundType", kRedundancies, snapshot.redundancy)) {
    return *r;
  }
  if (auto r = ReadSettings(c, snapshot)) return *r;
  const DiskGroup* group = FindGroup(s, source.groupId);
  if (group == nullptr) return Refuse(Refusal::kNoSuchObject, source.groupId);
  if (auto r = CheckRoom(s, *group, AllocatedGb(s, snapshot))) return *r;
  if (auto r = ReadLunWwn(c, snapshot)) return *r;
  Identify(s, snapshot, c.model.clock);
  s.vdisks.push_back(snapshot);
  return Done("Snapshot " + VdiskName(s, snapshot) + " created", snapshot.id);
}

Answer Clone(Context& c, const Vdisk& source, std::string_view name) {
  StorageSystem& s = *c.system;
  Vdisk copy = source;
  copy.name = std::string(name);
  copy.snapshotOf.clear();
  copy.comment.clear();
  copy.lunWwn.clear();
  copy.demandAllocated = false;
  copy.drmMode.clear();
  copy.drGroupId.clear();
  copy.remoteVdiskId.clear();
  copy.remoteSystemId.clear();
  if (const std::string* folder = Prop(c, "FolderID");
      folder != nullptr && !folder->empty()) {
    if (auto r = ChooseFolder(c, kVdiskRoot, copy.folderId)) return *r;
  }
  if (const std::string* group = Prop(c, "GroupID");
      group != nullptr && !group->empty()) {
    if (FindGroup(s, *group) == nullptr) {
      return Refuse(Refusal::kNoSuchObject, *group);
    }
    copy.groupId = *group;
  }
  if (auto r = CheckNewName(name, NameTakenInFolder(s, copy.folderId, name))) {
    return *r;
  }
  if (auto r = ReadTerm(c, "RedundType", kRedundancies, copy.redundancy)) {
    return *r;
  }
  if (auto r = ReadSettings(c, copy)) return *r;
  const DiskGroup* group = FindGroup(s, copy.groupId);
  if (group == nullptr) return Refuse(Refusal::kNoSuchObject, copy.groupId);
  if (auto r = CheckRoom(s, *group, AllocatedGb(s, copy))) return *r;
  if (auto r = ReadLunWwn(c, copy)) return *r;
  Identify(s, copy, c.model.clock);
  s.vdisks.push_back(copy);
  return Done("Copy " + VdiskName(s, copy) + " created", copy.id);
}

}  // namespace

Answer CreateVdisk(Context& c) {
  StorageSystem& s = *c.system;
  Vdisk vdisk;
  const std::string* name = Prop(c, "Name");
  if (name == nullptr) return Refuse(Refusal::kMissingProperty, "Name");
  if (auto r = ChooseFolder(c, kVdiskRoot, vdisk.folderId)) return *r;
  if (auto r =
          CheckNewName(*name, NameTakenInFolder(s, vdisk.folderId, *name))) {
    return *r;
  }
  vdisk.name = *name;
  const std::string* groupId = Prop(c, "GroupID");
  const DiskGroup* group = nullptr;
  if (groupId != nullptr && !groupId->empty()) {
    group = FindGroup(s, *groupId);
    if (group == nullptr) return Refuse(Refusal::kNoSuchObject, *groupId);
  } else if (!s.groups.empty()) {
    group = &s.groups.front();
  } else {
    return Refuse(Refusal::kMissingProperty, "GroupID");
  }
  vdisk.groupId = group->id;
  const std::string* size = Prop(c, "Size");
  if (size == nullptr) return Refuse(Refusal::kMissingProperty, "Size");
  std::optional<int> gigabytes = ParseNumber(*size, 1, kMaxSizeGb);
  if (!gigabytes) return Refuse(Refusal::kInvalidValue, "Size " + *size);
  vdisk.sizeGb = *gigabytes;
  if (auto r = ReadTerm(c, "RedundType", kRedundancies, vdisk.redundancy)) {
    return *r;
  }
  if (auto r = ReadSettings(c, vdisk)) return *r;
  if (auto r = CheckRoom(s, *group, AllocatedGb(s, vdisk))) return *r;
  if (auto r = ReadLunWwn(c, vdisk)) return *r;
  Identify(s, vdisk, c.model.clock);
  s.vdisks.push_back(vdisk);
  return Done("Virtual disk " + VdiskName(s, vdisk) + " created", vdisk.id);
}

Answer SetVdisk(Context& c) {
  StorageSystem& s = *c.system;
  Answer refused;
  Vdisk* vdisk = VdiskFromId(c, "ID", refused);
  if (vdisk == nullptr) return refused;
  if (Prop(c, "addtogroupid") != nullptr ||
      Prop(c, "removefromdrgroup") != nullptr) {
    return ChangeDrMembership(c, *vdisk);
  }
  if (vdisk->drmMode == "destination") {
    return Refuse(Refusal::kDrDestination, VdiskName(s, *vdisk));
  }
  Vdisk updated = *vdisk;
  if (const std::string* name = Prop(c, "Name")) {
    const Vdisk* source = FindVdisk(s, vdisk->snapshotOf);
    bool taken = source != nullptr
                     ? SnapshotNameTaken(s, *source, *name, vdisk->id)
                     : NameTakenInFolder(s, vdisk->folderId, *name, vdisk->id);
    if (auto r = CheckNewName(*name, taken)) return *r;
    updated.name = *name;
  }
  if (const std::string* size = Prop(c, "Size")) {
    std::optional<int> gigabytes = ParseNumber(*size, 1, kMaxSizeGb);
    if (!gigabytes) return Refuse(Refusal::kInvalidValue, "Size " + *size);
    if (*gigabytes != vdisk->sizeGb) {
      if (!vdisk->snapshotOf.empty() || !vdisk->drmMode.empty()) {
        return Refuse(Refusal::kInvalidValue,
                      "snapshots and DR members keep their size");
      }
      if (*gigabytes < vdisk->sizeGb) {
        return Refuse(Refusal::kCannotShrink, VdiskName(s, *vdisk));
      }
      updated.sizeGb = *gigabytes;
      const DiskGroup* group = FindGroup(s, vdisk->groupId);
      if (group == nullptr)
        return Refuse(Refusal::kNoSuchObject, vdisk->groupId);
      int extra = AllocatedGb(s, updated) - AllocatedGb(s, *vdisk);
      if (auto r = CheckRoom(s, *group, extra)) return *r;
    }
  }
  if (auto r = ReadSettings(c, updated)) return *r;
  if (auto r = ReadLunWwn(c, updated)) return *r;
  *vdisk = updated;
  return Done("Virtual disk " + VdiskName(s, *vdisk) + " changed");
}

// A presented disk goes with its LUNs: a client sends such a deletion only
// once its user has agreed to lose them.
Answer DeleteVdisk(Context& c) {
  StorageSystem& s = *c.system;
  Answer refused;
  Vdisk* vdisk = VdiskFromId(c, "ID", refused);
  if (vdisk == nullptr) return refused;
  std::string name = VdiskName(s, *vdisk);
  std::string ignored;
  if (auto r = ReadTerm(c, "deletionmode", kModes, ignored)) return *r;
  if (HasSnapshots(s, *vdisk)) return Refuse(Refusal::kVdiskHasSnapshots, name);
  if (!vdisk->drGroupId.empty()) return Refuse(Refusal::kDrMember, name);
  std::string id = vdisk->id;
  size_t luns = std::erase_if(
      s.luns, [&](const Presentation& lun) { return lun.vdiskId == id; });
  std::erase_if(s.vdisks, [&](const Vdisk& v) { return v.id == id; });
  if (luns == 0) return Done("Virtual disk " + name + " deleted");
  return Done("Virtual disk " + name + " deleted with its " +
              std::to_string(luns) + (luns == 1 ? " LUN" : " LUNs"));
}

Answer CopyVdisk(Context& c) {
  Answer refused;
  Vdisk* source = VdiskFromId(c, "StorageID", refused);
  if (source == nullptr) return refused;
  if (!source->snapshotOf.empty()) {
    return Refuse(Refusal::kNotActive, VdiskName(*c.system, *source));
  }
  const std::string* name = Prop(c, "Name");
  if (name == nullptr) return Refuse(Refusal::kMissingProperty, "Name");
  // The source is copied by value: the new disk's push may move it.
  Vdisk original = *source;
  if (*Prop(c, "Type") == "Snapshot") return Snapshot(c, original, *name);
  return Clone(c, original, *name);
}

}  // namespace sim
