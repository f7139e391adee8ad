// DR groups: a source group on one system mirrored by a destination group on
// another, each member virtual disk paired with a remote copy.
#include "sim/handlers.h"

namespace sim {
namespace {

constexpr std::string_view kTopLevel =
    "0808080808080808080808080808080808080808";
constexpr std::string_view kDefaultGroup =
    "0000000000000000000000000000000000000000";
constexpr Term kAccessModes[] = {{"readonly", "readonly"},
                                 {"disable", "disable"}};
constexpr Term kWriteModes[] = {{"synchronous", "synchronous"},
                                {"asynchronous", "asynchronous"}};
constexpr Term kFailsafes[] = {{"enable", "enabled"}, {"disable", "disabled"}};
constexpr Term kSuspends[] = {{"suspend", "suspend"}, {"resume", "resume"}};

bool Down(const StorageSystem& system) {
  if (system.controllers.empty()) return false;
  for (const Controller& controller : system.controllers) {
    if (controller.state != "shutdown") return false;
  }
  return true;
}

// Where the remote copy of `source` goes on `remote`: the name asked for
// (a leaf, or a full name with or without "\ACTIVE"), else the source's own
// folder path and leaf when the remote has that folder, else its root.
std::optional<Answer> PlaceRemote(const Context& c, const StorageSystem& local,
                                  const Vdisk& source, StorageSystem& remote,
                                  Vdisk& copy) {
  std::string wanted;
  if (const std::string* value = Prop(c, "remotevirtualdiskname")) {
    wanted = *value;
  }
  if (wanted.ends_with("\\ACTIVE")) wanted.resize(wanted.size() - 7);
  std::string folderPath;
  std::string leaf = wanted;
  if (wanted.empty()) {
    folderPath = FolderPath(local, source.folderId);
    leaf = source.name;
    Folder* same = FolderByPath(remote, folderPath);
    copy.folderId =
        same != nullptr ? same->id : FindRootFolder(remote, kVdiskRoot)->id;
  } else if (size_t cut = wanted.rfind('\\'); cut != std::string::npos) {
    folderPath = wanted.substr(0, cut + 1);
    leaf = wanted.substr(cut + 1);
    Folder* folder = FolderByPath(remote, folderPath);
    if (folder == nullptr || RootOf(remote, folder->id) != kVdiskRoot) {
      return Refuse(Refusal::kNoSuchObject, folderPath + " on " + remote.name);
    }
    copy.folderId = folder->id;
  } else {
    copy.folderId = FindRootFolder(remote, kVdiskRoot)->id;
  }
  if (auto r =
          CheckNewName(leaf, NameTakenInFolder(remote, copy.folderId, leaf))) {
    return r;
  }
  copy.name = leaf;
  return std::nullopt;
}

// Pairs `vdisk` (in `group` on the local system) with a new remote copy in
// the partner group. Nothing changes when it is refused.
std::optional<Answer> AddMember(Context& c, DrGroup& group, Vdisk& vdisk,
                                StorageSystem& remote, DrGroup& remoteGroup) {
  StorageSystem& local = *c.system;
  std::string name = VdiskName(local, vdisk);
  if (!vdisk.snapshotOf.empty()) return Refuse(Refusal::kNotActive, name);
  if (!vdisk.drGroupId.empty()) return Refuse(Refusal::kDrMember, name);
  const DiskGroup* destination = nullptr;
  const std::string* wanted = Prop(c, "destdiskgroupid");
  if (wanted == nullptr || wanted->empty() || *wanted == kDefaultGroup) {
    if (!remote.groups.empty()) destination = &remote.groups.front();
  } else {
    destination = FindGroup(remote, *wanted);
  }
  if (destination == nullptr) {
    return Refuse(Refusal::kNoSuchObject, "disk group on " + remote.name);
  }
  Vdisk copy = vdisk;
  copy.groupId = destination->id;
  copy.comment.clear();
  copy.lunWwn.clear();
  if (auto r = PlaceRemote(c, local, vdisk, remote, copy)) return r;
  GroupCapacity capacity = CapacityOf(remote, *destination);
  if (AllocatedGb(remote, copy) > capacity.usableGb - capacity.usedGb) {
    return Refuse(Refusal::kNoCapacity, GroupName(remote, *destination));
  }
  copy.id = NewId(remote, IdKind::kVdisk);
  copy.lunWwn = GeneratedLunWwn(remote, copy);
  copy.drmMode = "destination";
  copy.drGroupId = remoteGroup.id;
  copy.remoteVdiskId = vdisk.id;
  copy.remoteSystemId = local.id;
  copy.created = c.model.clock;
  vdisk.drmMode = group.mode;
  vdisk.drGroupId = group.id;
  vdisk.remoteVdiskId = copy.id;
  vdisk.remoteSystemId = remote.id;
  group.members.push_back(vdisk.id);
  remoteGroup.members.push_back(copy.id);
  remote.vdisks.push_back(std::move(copy));
  return std::nullopt;
}

void ClearDr(Vdisk& vdisk) {
  vdisk.drmMode.clear();
  vdisk.drGroupId.clear();
  vdisk.remoteVdiskId.clear();
  vdisk.remoteSystemId.clear();
}

// The group a DR request names, with its partner; an answer when either is
// missing or the request acts on the destination side.
struct Pair {
  DrGroup* group = nullptr;
  StorageSystem* remote = nullptr;
  DrGroup* remoteGroup = nullptr;
};
std::optional<Answer> FindPair(Context& c, std::string_view groupId,
                               bool sourceOnly, Pair& pair) {
  pair.group = FindDrGroup(*c.system, groupId);
  if (pair.group == nullptr) return Refuse(Refusal::kNoSuchObject, groupId);
  pair.remote = FindSystem(c.model, pair.group->remoteSystemId);
  pair.remoteGroup = pair.remote != nullptr
                         ? FindDrGroup(*pair.remote, pair.group->remoteGroupId)
                         : nullptr;
  if (pair.remoteGroup == nullptr) {
    return Refuse(Refusal::kNoSuchSystem, pair.group->remoteSystemId);
  }
  if (sourceOnly && pair.group->mode != "source") {
    return Refuse(Refusal::kDrDestination, DrGroupName(*c.system, *pair.group));
  }
  return std::nullopt;
}

}  // namespace

Answer CreateDrGroup(Context& c) {
  StorageSystem& local = *c.system;
  const std::string* name = Prop(c, "objectname");
  if (name == nullptr) return Refuse(Refusal::kMissingProperty, "objectname");
  if (const std::string* mode = Prop(c, "drmmode");
      mode != nullptr && *mode != "source") {
    return Refuse(Refusal::kInvalidValue, "drmmode " + *mode);
  }
  DrGroup group;
  const std::string* folderId = Prop(c, "objectid");
  if (folderId == nullptr || folderId->empty() || *folderId == kTopLevel) {
    group.folderId = FindRootFolder(local, kDrRoot)->id;
  } else if (FindFolder(local, *folderId) == nullptr ||
             RootOf(local, *folderId) != kDrRoot) {
    return Refuse(Refusal::kWrongFolder, *folderId);
  } else {
    group.folderId = *folderId;
  }
  if (auto r = CheckNewName(*name,
                            NameTakenInFolder(local, group.folderId, *name))) {
    return *r;
  }
  group.name = *name;
  const std::string* remoteId = Prop(c, "destscellid");
  if (remoteId == nullptr || remoteId->empty()) {
    return Refuse(Refusal::kMissingProperty, "destscellid");
  }
  StorageSystem* remote = FindSystem(c.model, *remoteId);
  if (remote == nullptr) return Refuse(Refusal::kNoSuchSystem, *remoteId);
  if (remote == &local) return Refuse(Refusal::kSameSystem, local.name);
  if (!remote->initialized)
    return Refuse(Refusal::kNotInitialized, remote->name);
  if (Down(*remote)) return Refuse(Refusal::kControllersDown, remote->name);
  const std::string* vdiskId = Prop(c, "virtualdiskid");
  Vdisk* vdisk = vdiskId != nullptr ? FindVdisk(local, *vdiskId) : nullptr;
  if (vdisk == nullptr) {
    return Refuse(Refusal::kNoSuchObject,
                  vdiskId != nullptr ? *vdiskId : "virtualdiskid");
  }
  if (auto r = ReadTerm(c, "accessmode", kAccessModes, group.accessMode))
    return *r;
  if (auto r = ReadTerm(c, "writemode", kWriteModes, group.writeMode))
    return *r;
  if (auto r = ReadComment(c, group.comment, "drcomments")) return *r;
  DrGroup partner = group;
  partner.mode = "destination";
  partner.folderId = FindRootFolder(*remote, kDrRoot)->id;
  partner.comment.clear();
  if (NameTakenInFolder(*remote, partner.folderId, partner.name)) {
    return Refuse(Refusal::kNameInUse, partner.name + " on " + remote->name);
  }
  // Identifiers are taken only once every check has passed.
  StorageSystem remoteBefore = *remote;
  Vdisk vdiskBefore = *vdisk;
  uint64_t localSerial = local.nextSerial;
  group.id = NewId(local, IdKind::kDrGroup);
  partner.id = NewId(*remote, IdKind::kDrGroup);
  group.remoteSystemId = remote->id;
  group.remoteGroupId = partner.id;
  partner.remoteSystemId = local.id;
  partner.remoteGroupId = group.id;
  if (auto r = AddMember(c, group, *vdisk, *remote, partner)) {
    *remote = std::move(remoteBefore);
    *vdisk = std::move(vdiskBefore);
    local.nextSerial = localSerial;
    return *r;
  }
  local.drGroups.push_back(group);
  remote->drGroups.push_back(partner);
  return Done("DR group " + DrGroupName(local, group) + " created", group.id);
}

Answer SetDrGroup(Context& c) {
  if (const std::string* type = Prop(c, "objecttype");
      type != nullptr && *type != "drmgroup") {
    return Refuse(Refusal::kUnsupportedOperation, "setproperties " + *type);
  }
  const std::string* id = Prop(c, "objectid");
  if (id == nullptr || id->empty()) {
    return Refuse(Refusal::kMissingProperty, "objectid");
  }
  Pair pair;
  bool failover = Prop(c, "sitefailover") != nullptr;
  if (auto r = FindPair(c, *id, !failover, pair)) return *r;
  if (failover) {
    std::swap(pair.group->mode, pair.remoteGroup->mode);
    for (const std::string& member : pair.group->members) {
      if (Vdisk* v = FindVdisk(*c.system, member))
        v->drmMode = pair.group->mode;
    }
    for (const std::string& member : pair.remoteGroup->members) {
      if (Vdisk* v = FindVdisk(*pair.remote, member)) {
        v->drmMode = pair.remoteGroup->mode;
      }
    }
    return Done("DR group " + DrGroupName(*c.system, *pair.group) +
                " failed over");
  }
  DrGroup updated = *pair.group;
  if (const std::string* name = Prop(c, "objectname")) {
    if (auto r =
            CheckNewName(*name, NameTakenInFolder(*c.system, updated.folderId,
                                                  *name, updated.id))) {
      return *r;
    }
    updated.name = *name;
  }
  if (auto r = ReadTerm(c, "accessmode", kAccessModes, updated.accessMode))
    return *r;
  if (auto r = ReadTerm(c, "writemode", kWriteModes, updated.writeMode))
    return *r;
  if (auto r = ReadTerm(c, "failsafe", kFailsafes, updated.failsafe)) return *r;
  if (auto r = ReadTerm(c, "suspend", kSuspends, updated.suspend)) return *r;
  if (auto r = ReadComment(c, updated.comment, "drcomments")) return *r;
  *pair.group = updated;
  pair.remoteGroup->writeMode = updated.writeMode;
  pair.remoteGroup->failsafe = updated.failsafe;
  pair.remoteGroup->suspend = updated.suspend;
  return Done("DR group " + DrGroupName(*c.system, updated) + " changed");
}

// The remote copies stay on the destination as ordinary virtual disks.
Answer DeleteDrGroup(Context& c) {
  const std::string* id = Prop(c, "objectid");
  if (id == nullptr || id->empty()) {
    return Refuse(Refusal::kMissingProperty, "objectid");
  }
  Pair pair;
  if (auto r = FindPair(c, *id, true, pair)) return *r;
  std::string name = DrGroupName(*c.system, *pair.group);
  for (const std::string& member : pair.group->members) {
    if (Vdisk* v = FindVdisk(*c.system, member)) ClearDr(*v);
  }
  for (const std::string& member : pair.remoteGroup->members) {
    if (Vdisk* v = FindVdisk(*pair.remote, member)) ClearDr(*v);
  }
  std::string remoteGroupId = pair.remoteGroup->id;
  std::erase_if(pair.remote->drGroups,
                [&](const DrGroup& g) { return g.id == remoteGroupId; });
  std::string groupId = *id;
  std::erase_if(c.system->drGroups,
                [&](const DrGroup& g) { return g.id == groupId; });
  return Done("DR group " + name + " deleted");
}

void UnpairSystem(Model& model, const StorageSystem& system) {
  for (StorageSystem& other : model.systems) {
    std::erase_if(other.drGroups, [&](const DrGroup& group) {
      if (&other == &system || group.remoteSystemId != system.id) return false;
      for (const std::string& member : group.members) {
        if (Vdisk* v = FindVdisk(other, member)) ClearDr(*v);
      }
      return true;
    });
  }
}

Answer ChangeDrMembership(Context& c, Vdisk& vdisk) {
  StorageSystem& local = *c.system;
  std::string name = VdiskName(local, vdisk);
  if (const std::string* groupId = Prop(c, "addtogroupid")) {
    Pair pair;
    if (auto r = FindPair(c, *groupId, true, pair)) return *r;
    if (Down(*pair.remote)) {
      return Refuse(Refusal::kControllersDown, pair.remote->name);
    }
    StorageSystem remoteBefore = *pair.remote;
    if (auto r =
            AddMember(c, *pair.group, vdisk, *pair.remote, *pair.remoteGroup)) {
      *pair.remote = std::move(remoteBefore);
      return *r;
    }
    return Done(name + " added to DR group " + DrGroupName(local, *pair.group));
  }
  const std::string& how = *Prop(c, "removefromdrgroup");
  if (how != "delete" && how != "detach") {
    return Refuse(Refusal::kInvalidValue, "removefromdrgroup " + how);
  }
  if (vdisk.drGroupId.empty()) return Refuse(Refusal::kNotDrMember, name);
  Pair pair;
  if (auto r = FindPair(c, vdisk.drGroupId, true, pair)) return *r;
  if (pair.group->members.size() == 1) {
    return Refuse(Refusal::kInvalidValue,
                  "the last member stays; delete the group instead");
  }
  std::string remoteId = vdisk.remoteVdiskId;
  std::erase(pair.group->members, vdisk.id);
  std::erase(pair.remoteGroup->members, remoteId);
  if (how == "delete") {
    std::erase_if(pair.remote->vdisks,
                  [&](const Vdisk& v) { return v.id == remoteId; });
  } else if (Vdisk* remoteCopy = FindVdisk(*pair.remote, remoteId)) {
    ClearDr(*remoteCopy);
  }
  std::string groupName = DrGroupName(local, *pair.group);
  ClearDr(vdisk);
  return Done(name + " removed from DR group " + groupName);
}

}  // namespace sim
