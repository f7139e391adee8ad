// Loading a whole scenario: the systems, then the DR pairs between them.
#include <algorithm>
#include <set>

#include "sim/scenario.h"
#include "sim/scenario_loader.h"

namespace sim {

bool Loader::DrLinks(const json& js, Model& model, StorageSystem& s) {
  const json* groups = Entries(js, "dr_groups");
  const json* vdisks = Entries(js, "vdisks");
  if (groups == nullptr || vdisks == nullptr) return false;
  for (const json& entry : *groups) {
    DrGroup g;
    std::string name, remote, remoteGroup;
    if (!Text(entry, "name", name, true, 512) ||
        !Place(s, name, kDrRoot, g.folderId, g.name) ||
        !OneOf(entry, "mode", g.mode, {"source", "destination"}) ||
        !Text(entry, "remote_system", remote, true, 64) ||
        !Text(entry, "remote_group", remoteGroup, true, 512) ||
        !OneOf(entry, "access_mode", g.accessMode, {"readonly", "disable"}) ||
        !OneOf(entry, "write_mode", g.writeMode,
               {"synchronous", "asynchronous"}) ||
        !OneOf(entry, "suspend", g.suspend, {"suspend", "resume"}) ||
        !OneOf(entry, "failsafe", g.failsafe, {"enabled", "disabled"}) ||
        !Comment(entry, g.comment) || !Id(entry, s, IdKind::kDrGroup, g.id)) {
      return false;
    }
    StorageSystem* other = FindSystemByName(model, remote);
    if (other == nullptr || other == &s)
      return Fail("bad remote_system " + remote);
    g.remoteSystemId = other->id;
    const json* members = Entries(entry, "members");
    if (members == nullptr) return false;
    for (const json& member : *members) {
      bool found = false;
      for (Vdisk& v : s.vdisks) {
        if (member.is_string() &&
            VdiskName(s, v) == member.get_ref<const std::string&>()) {
          g.members.push_back(v.id);
          v.drGroupId = g.id;
          v.drmMode = g.mode;
          found = true;
        }
      }
      if (!found) return Fail("unknown member of " + name);
    }
    s.drGroups.push_back(g);
  }
  for (const json& entry : *vdisks) {
    std::string name, remote, remoteVdisk;
    if (!Text(entry, "name", name, true, 512) ||
        !Text(entry, "remote_system", remote, false, 64) ||
        !Text(entry, "remote_vdisk", remoteVdisk, false, 512)) {
      return false;
    }
    if (remote.empty()) continue;
    StorageSystem* other = FindSystemByName(model, remote);
    if (other == nullptr) return Fail("bad remote_system " + remote);
    for (Vdisk& v : s.vdisks) {
      if (VdiskName(s, v) != name) continue;
      v.remoteSystemId = other->id;
      for (const Vdisk& partner : other->vdisks) {
        if (VdiskName(*other, partner) == remoteVdisk)
          v.remoteVdiskId = partner.id;
      }
      if (v.remoteVdiskId.empty() || v.drGroupId.empty()) {
        return Fail(name +
                    " is paired but not a member, or its partner is unknown");
      }
    }
  }
  return true;
}

namespace {

// Partner groups must point at each other once both sides are loaded.
bool PairGroups(Model& model, std::string& error) {
  for (StorageSystem& s : model.systems) {
    for (DrGroup& g : s.drGroups) {
      StorageSystem* other = FindSystem(model, g.remoteSystemId);
      for (DrGroup& candidate : other->drGroups) {
        if (candidate.remoteSystemId == s.id && candidate.name == g.name) {
          g.remoteGroupId = candidate.id;
        }
      }
      if (g.remoteGroupId.empty()) {
        error = "DR group " + DrGroupName(s, g) + " has no partner on " +
                other->name;
        return false;
      }
    }
  }
  return true;
}

bool IdsUnique(const Model& model, std::string& error) {
  std::set<std::string> seen;
  auto add = [&](const std::string& id) {
    if (!seen.insert(id).second) error = "identifier " + id + " used twice";
    return error.empty();
  };
  for (const StorageSystem& s : model.systems) {
    bool ok = add(s.id);
    for (const auto& o : s.folders) ok = ok && add(o.id);
    for (const auto& o : s.disks) ok = ok && add(o.id);
    for (const auto& o : s.groups) ok = ok && add(o.id);
    for (const auto& o : s.hosts) ok = ok && add(o.id);
    for (const auto& o : s.vdisks) ok = ok && add(o.id);
    for (const auto& o : s.luns) ok = ok && add(o.id);
    for (const auto& o : s.drGroups) ok = ok && add(o.id);
    for (const auto& o : s.controllers) ok = ok && add(o.id);
    for (const auto& o : s.monitors) ok = ok && add(o.id);
    for (const auto& o : s.events) ok = ok && add(o.id);
    if (!ok) return false;
  }
  return true;
}

}  // namespace

bool LoadScenario(std::string_view text, Model& model, std::string& error,
                  const std::vector<User>& knownUsers) {
  json root = json::parse(text, nullptr, false);
  if (root.is_discarded()) {
    error = JsonSyntaxError(text);
    return false;
  }
  if (!root.is_object()) {
    error = "not a JSON object";
    return false;
  }
  Model loaded;
  Loader loader;
  loader.where = "manager";
  const json noManager = json::object();
  const json& manager = root.contains("manager") ? root["manager"] : noManager;
  if (!manager.is_object() ||
      !loader.Text(manager, "version", loaded.version, false, 79) ||
      !loader.Text(manager, "build", loaded.build, false, 79) ||
      !loader.Flag(manager, "xml_interface", loaded.xmlInterface) ||
      !loader.Number(root, "clock", loaded.clock, 0, INT64_MAX / 2)) {
    error = loader.error.empty() ? "manager is not an object" : loader.error;
    return false;
  }
  const json* users = loader.Entries(manager, "users");
  const json* systems = loader.Entries(root, "systems");
  for (size_t i = 0; users != nullptr && i < users->size(); ++i) {
    User user;
    loader.where = "manager.users[" + std::to_string(i) + "]";
    if (!loader.Text((*users)[i], "name", user.name, true, 64)) break;
    auto known = std::find_if(
        knownUsers.begin(), knownUsers.end(),
        [&](const User& other) { return other.name == user.name; });
    if (known != knownUsers.end()) user.password = known->password;
    if (!loader.Text((*users)[i], "password", user.password,
                     known == knownUsers.end(), 64)) {
      break;
    }
    loaded.users.push_back(user);
  }
  if (loaded.users.empty() && loader.error.empty()) {
    loaded.users = EmptyModel().users;
  }
  for (size_t i = 0;
       loader.error.empty() && systems != nullptr && i < systems->size(); ++i) {
    loader.where = "systems[" + std::to_string(i) + "]";
    StorageSystem system;
    if (!loader.System((*systems)[i], system, static_cast<int>(i) + 1,
                       loaded.clock))
      break;
    for (const StorageSystem& other : loaded.systems) {
      if (other.name == system.name || other.number == system.number) {
        loader.Fail("name or number used by an earlier system");
      }
    }
    loaded.systems.push_back(std::move(system));
  }
  for (size_t i = 0; loader.error.empty() && i < loaded.systems.size(); ++i) {
    loader.where = "systems[" + std::to_string(i) + "]";
    loader.DrLinks((*systems)[i], loaded, loaded.systems[i]);
  }
  if (!loader.error.empty()) {
    error = loader.error;
    return false;
  }
  if (!PairGroups(loaded, error) || !IdsUnique(loaded, error)) return false;
  model = std::move(loaded);
  return true;
}

}  // namespace sim
