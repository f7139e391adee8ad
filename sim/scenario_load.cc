#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>

#include "sim/handlers.h"
#include "sim/scenario.h"

namespace sim {
namespace {

using nlohmann::json;

// Reads fields with their types checked first: the JSON library is built
// without exceptions, so every access must be one that cannot fail.
struct Loader {
  std::string error;
  std::string where;
  // Groups given as a disk count take free disks once every disk is known.
  std::vector<std::pair<std::string, int>> groupCounts;

  bool Fail(std::string message) {
    if (error.empty()) error = where + ": " + std::move(message);
    return false;
  }

  bool Text(const json& object, const char* key, std::string& out,
            bool required, size_t maxLength = 128) {
    if (!object.contains(key)) {
      return required ? Fail(std::string("missing \"") + key + "\"") : true;
    }
    const json& value = object[key];
    if (!value.is_string()) return Fail(std::string(key) + " is not a string");
    const std::string& text = value.get_ref<const std::string&>();
    if (!IsPlainText(text, maxLength)) {
      return Fail(std::string(key) +
                  " holds characters or a length the "
                  "manager does not allow");
    }
    out = text;
    return true;
  }

  bool Number(const json& object, const char* key, int64_t& out, int64_t low,
              int64_t high) {
    if (!object.contains(key)) return true;
    const json& value = object[key];
    if (!value.is_number_integer() || value.get<int64_t>() < low ||
        value.get<int64_t>() > high) {
      return Fail(std::string(key) + " is not a number from " +
                  std::to_string(low) + " to " + std::to_string(high));
    }
    out = value.get<int64_t>();
    return true;
  }

  bool Int(const json& object, const char* key, int& out, int low, int high) {
    int64_t value = out;
    if (!Number(object, key, value, low, high)) return false;
    out = static_cast<int>(value);
    return true;
  }

  bool Flag(const json& object, const char* key, bool& out) {
    if (!object.contains(key)) return true;
    if (!object[key].is_boolean())
      return Fail(std::string(key) + " is not a boolean");
    out = object[key].get<bool>();
    return true;
  }

  bool OneOf(const json& object, const char* key, std::string& out,
             std::initializer_list<const char*> allowed) {
    std::string value = out;
    if (!Text(object, key, value, false)) return false;
    for (const char* candidate : allowed) {
      if (value == candidate) {
        out = value;
        return true;
      }
    }
    return Fail(std::string(key) + " \"" + value + "\" is not a known value");
  }

  bool Comment(const json& object, std::string& out) {
    if (!Text(object, "comment", out, false)) return false;
    return IsValidComment(out) ? true : Fail("comment breaks the name rules");
  }

  // The entries of an optional array member.
  const json* Entries(const json& object, const char* key) {
    static const json kEmpty = json::array();
    if (!object.contains(key)) return &kEmpty;
    if (!object[key].is_array()) {
      Fail(std::string(key) + " is not an array");
      return nullptr;
    }
    return &object[key];
  }

  bool Id(const json& object, StorageSystem& s, IdKind kind, std::string& id) {
    if (!Text(object, "id", id, false, 64)) return false;
    if (id.empty()) id = NewId(s, kind);
    return true;
  }

  // Splits a full name into its folder (which must exist below `root`) and
  // its leaf.
  bool Place(StorageSystem& s, const std::string& full, std::string_view root,
             std::string& folderId, std::string& leaf) {
    size_t cut = full.rfind('\\');
    if (cut == std::string::npos || cut + 1 == full.size()) {
      return Fail("\"" + full + "\" is not a full name");
    }
    Folder* folder = FolderByPath(s, full.substr(0, cut + 1));
    if (folder == nullptr || RootOf(s, folder->id) != root) {
      return Fail("no folder for \"" + full + "\" below \\" +
                  std::string(root) + "\\");
    }
    folderId = folder->id;
    leaf = full.substr(cut + 1);
    return IsValidName(leaf) ? true : Fail("invalid name \"" + leaf + "\"");
  }

  bool Folders(const json& js, StorageSystem& s);
  bool Disks(const json& js, StorageSystem& s);
  bool Groups(const json& js, StorageSystem& s);
  bool FillGroups(StorageSystem& s);
  bool Hosts(const json& js, StorageSystem& s);
  bool Vdisks(const json& js, StorageSystem& s, int64_t clock);
  bool Luns(const json& js, StorageSystem& s);
  bool Hardware(const json& js, StorageSystem& s);
  bool Events(const json& js, StorageSystem& s);
  bool System(const json& js, StorageSystem& s, int number, int64_t clock);
  bool DrLinks(const json& js, Model& model, StorageSystem& s);
};

bool Loader::Folders(const json& js, StorageSystem& s) {
  const json* entries = Entries(js, "folders");
  if (entries == nullptr) return false;
  for (const json& entry : *entries) {
    std::string path;
    if (!Text(entry, "path", path, true, 512)) return false;
    if (!path.starts_with("\\") || !path.ends_with("\\") || path.size() < 3) {
      return Fail("folder path \"" + path + "\" must start and end with \\");
    }
    Folder* existing = FolderByPath(s, path);
    Folder folder;
    size_t cut = path.rfind('\\', path.size() - 2);
    folder.name = path.substr(cut + 1, path.size() - cut - 2);
    if (cut == 0) {
      if (existing == nullptr) return Fail("unknown root folder " + path);
    } else {
      Folder* parent = FolderByPath(s, path.substr(0, cut + 1));
      if (parent == nullptr)
        return Fail("parent of " + path + " not listed before it");
      if (!IsValidName(folder.name)) return Fail("invalid folder name " + path);
      folder.parentId = parent->id;
    }
    if (!Comment(entry, folder.comment)) return false;
    if (existing != nullptr) {  // a root folder: its identifier and comment
      std::string id;
      if (!Text(entry, "id", id, false, 64)) return false;
      if (!id.empty()) existing->id = id;
      existing->comment = folder.comment;
      continue;
    }
    if (!Id(entry, s, IdKind::kFolder, folder.id)) return false;
    s.folders.push_back(folder);
  }
  return true;
}

bool Loader::Hardware(const json& js, StorageSystem& s) {
  const json* controllers = Entries(js, "controllers");
  const json* monitors = Entries(js, "monitors");
  if (controllers == nullptr || monitors == nullptr) return false;
  for (const json& entry : *controllers) {
    Controller c;
    if (!Text(entry, "name", c.name, true) ||
        !Id(entry, s, IdKind::kController, c.id) ||
        !OneOf(entry, "state", c.state, {"good", "shutdown"})) {
      return false;
    }
    s.controllers.push_back(c);
  }
  for (const json& entry : *monitors) {
    Monitor m;
    if (!Text(entry, "name", m.name, true) ||
        !Id(entry, s, IdKind::kMonitor, m.id) ||
        !Text(entry, "state", m.state, false) || !Comment(entry, m.comment)) {
      return false;
    }
    s.monitors.push_back(m);
  }
  if (s.controllers.size() > 2) return Fail("an array has two controllers");
  AddHardware(s);
  return true;
}

bool Loader::Groups(const json& js, StorageSystem& s) {
  const json* entries = Entries(js, "disk_groups");
  if (entries == nullptr) return false;
  for (const json& entry : *entries) {
    DiskGroup g;
    std::string name;
    int disks = 0;
    if (!Text(entry, "name", name, true, 512) ||
        !Place(s, name, kGroupRoot, g.folderId, g.name) ||
        !OneOf(entry, "spare_policy", g.sparePolicy,
               {"None", "Single", "Double"}) ||
        !OneOf(entry, "disk_type", g.diskType, {"Online", "Near-Online"}) ||
        !Int(entry, "occupancy_alarm", g.alarmLevel, 1, 100) ||
        !Int(entry, "disks", disks, 0, 100000) || !Comment(entry, g.comment) ||
        !Id(entry, s, IdKind::kDiskGroup, g.id)) {
      return false;
    }
    groupCounts.emplace_back(g.id, disks);
    s.groups.push_back(g);
  }
  return true;
}

bool Loader::FillGroups(StorageSystem& s) {
  for (auto& [id, count] : groupCounts) {
    DiskGroup* group = FindGroup(s, id);
    for (Disk& disk : s.disks) {
      if (count == 0) break;
      if (disk.groupId.empty() && disk.type == group->diskType) {
        disk.groupId = id;
        --count;
      }
    }
    if (count > 0)
      return Fail("not enough free disks for " + GroupName(s, *group));
  }
  groupCounts.clear();
  return true;
}

bool Loader::Disks(const json& js, StorageSystem& s) {
  const json* shelves = Entries(js, "disk_shelves");
  const json* entries = Entries(js, "disks");
  if (shelves == nullptr || entries == nullptr) return false;
  for (const json& entry : *entries) {
    Disk d;
    std::string group;
    if (!Text(entry, "name", d.name, true, 32) ||
        !OneOf(entry, "type", d.type, {"Online", "Near-Online"}) ||
        !Int(entry, "capacity_gb", d.capacityGb, 1, 100000) ||
        !Text(entry, "group", group, false, 512) ||
        !Comment(entry, d.comment) || !Id(entry, s, IdKind::kDisk, d.id)) {
      return false;
    }
    for (const DiskGroup& g : s.groups) {
      if (GroupName(s, g) == group) d.groupId = g.id;
    }
    if (!group.empty() && d.groupId.empty())
      return Fail("unknown group " + group);
    s.disks.push_back(d);
  }
  for (const json& shelf : *shelves) {
    Disk d;
    int count = 0;
    if (!Int(shelf, "count", count, 1, 1000) ||
        !OneOf(shelf, "type", d.type, {"Online", "Near-Online"}) ||
        !Int(shelf, "capacity_gb", d.capacityGb, 1, 100000)) {
      return false;
    }
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Disk %03zu", s.disks.size() + 1);
      d.name = name;
      d.id = NewId(s, IdKind::kDisk);
      s.disks.push_back(d);
    }
  }
  return true;
}

bool Loader::Hosts(const json& js, StorageSystem& s) {
  const json* entries = Entries(js, "hosts");
  if (entries == nullptr) return false;
  for (const json& entry : *entries) {
    Host h;
    std::string name;
    if (!Text(entry, "name", name, true, 512) ||
        !Place(s, name, kHostRoot, h.folderId, h.name) ||
        !Text(entry, "os", h.mode, false, 64) ||
        !Text(entry, "ip", h.ip, false, 64) || !Comment(entry, h.comment) ||
        !Id(entry, s, IdKind::kHost, h.id)) {
      return false;
    }
    const json* ports = Entries(entry, "ports");
    if (ports == nullptr) return false;
    for (const json& port : *ports) {
      std::optional<std::string> wwn =
          port.is_string()
              ? NormaliseWwn(port.get_ref<const std::string&>(), 16)
              : std::nullopt;
      if (!wwn) return Fail("invalid adapter world wide name in " + name);
      h.ports.push_back(*wwn);
    }
    s.hosts.push_back(h);
  }
  return true;
}

bool Loader::Vdisks(const json& js, StorageSystem& s, int64_t clock) {
  const json* entries = Entries(js, "vdisks");
  if (entries == nullptr) return false;
  for (const json& entry : *entries) {
    Vdisk v;
    std::string name, group, source, allocation = "fully";
    v.created = clock;
    if (!Text(entry, "name", name, true, 512) ||
        !Text(entry, "snapshot_of", source, false, 512) ||
        !Text(entry, "group", group, !entry.contains("snapshot_of"), 512) ||
        !Int(entry, "size_gb", v.sizeGb, 1, 65535) ||
        !OneOf(entry, "redundancy", v.redundancy,
               {"Vraid0", "Vraid1", "Vraid5"}) ||
        !OneOf(entry, "write_cache", v.writeCache,
               {"Mirrored write-back", "Unmirrored write-back"}) ||
        !OneOf(entry, "read_cache", v.readCache, {"On", "Off"}) ||
        !OneOf(entry, "write_protect", v.writeProtect, {"Yes", "No"}) ||
        !OneOf(entry, "preferred_path", v.preferredPath,
               {"No preference", "Path A-Failover only",
                "Path A-Failover/failback", "Path B-Failover only",
                "Path B-Failover/failback"}) ||
        !OneOf(entry, "allocation", allocation, {"fully", "demand"}) ||
        !Int(entry, "os_unit_id", v.osUnitId, 0, 32767) ||
        !Number(entry, "created", v.created, 0, INT64_MAX) ||
        !Comment(entry, v.comment) || !Id(entry, s, IdKind::kVdisk, v.id)) {
      return false;
    }
    if (source.empty()) {
      if (!name.ends_with("\\ACTIVE"))
        return Fail(name + " must end in \\ACTIVE");
      if (!Place(s, name.substr(0, name.size() - 7), kVdiskRoot, v.folderId,
                 v.name)) {
        return false;
      }
      for (const DiskGroup& g : s.groups) {
        if (GroupName(s, g) == group) v.groupId = g.id;
      }
      if (v.groupId.empty()) return Fail("unknown group " + group);
    } else {
      const Vdisk* original = nullptr;
      for (const Vdisk& candidate : s.vdisks) {
        if (candidate.snapshotOf.empty() && VdiskName(s, candidate) == source) {
          original = &candidate;
        }
      }
      if (original == nullptr) return Fail("snapshot of unknown " + source);
      std::string family =
          FolderPath(s, original->folderId) + original->name + "\\";
      v.name = name.starts_with(family) ? name.substr(family.size()) : "";
      if (!IsValidName(v.name)) return Fail(name + " must lie in " + family);
      v.snapshotOf = original->id;
      v.folderId = original->folderId;
      v.groupId = original->groupId;
      v.demandAllocated = allocation == "demand";
    }
    std::string wwn;
    if (!Text(entry, "lun_wwn", wwn, false, 64)) return false;
    if (!wwn.empty()) {
      std::optional<std::string> normal = NormaliseWwn(wwn, 32);
      if (!normal) return Fail("invalid lun_wwn " + wwn);
      v.lunWwn = *normal;
    } else {
      v.lunWwn = GeneratedLunWwn(s, v);
    }
    s.vdisks.push_back(v);
  }
  return true;
}

bool Loader::Luns(const json& js, StorageSystem& s) {
  const json* entries = Entries(js, "luns");
  if (entries == nullptr) return false;
  for (const json& entry : *entries) {
    Presentation p;
    std::string host, vdisk;
    if (!Int(entry, "lun", p.lun, 1, 255) ||
        !Text(entry, "host", host, true, 512) ||
        !Text(entry, "vdisk", vdisk, true, 512) ||
        !Id(entry, s, IdKind::kLun, p.id)) {
      return false;
    }
    for (const Host& h : s.hosts) {
      if (HostName(s, h) == host) p.hostId = h.id;
    }
    for (const Vdisk& v : s.vdisks) {
      if (VdiskName(s, v) == vdisk) p.vdiskId = v.id;
    }
    if (p.hostId.empty() || p.vdiskId.empty()) {
      return Fail("LUN " + std::to_string(p.lun) +
                  " names an unknown host or vdisk");
    }
    for (const Presentation& other : s.luns) {
      if (other.hostId == p.hostId &&
          (other.lun == p.lun || other.vdiskId == p.vdiskId)) {
        return Fail("LUN " + std::to_string(p.lun) + " presented twice to " +
                    host);
      }
    }
    s.luns.push_back(p);
  }
  return true;
}

bool Loader::Events(const json& js, StorageSystem& s) {
  const json* entries = Entries(js, "events");
  if (entries == nullptr) return false;
  for (const json& entry : *entries) {
    Event e;
    if (!OneOf(entry, "kind", e.kind,
               {"disk", "management", "system", "termination"}) ||
        !Text(entry, "code", e.code, true, 32) ||
        !Text(entry, "text", e.text, true, 256) ||
        !Number(entry, "time", e.time, 0, INT64_MAX) ||
        !Id(entry, s, IdKind::kEvent, e.id)) {
      return false;
    }
    s.events.push_back(e);
  }
  return true;
}

bool Loader::System(const json& js, StorageSystem& s, int number,
                    int64_t clock) {
  if (!js.is_object()) return Fail("not an object");
  int64_t serial = 1;
  s.number = number;
  if (!Int(js, "number", s.number, 1, 0xFFFFFF) ||
      !Number(js, "next_serial", serial, 1, INT64_MAX / 2) ||
      !Text(js, "wwn", s.wwn, true, 64) ||
      !Flag(js, "initialized", s.initialized) ||
      !Text(js, "name", s.name, s.initialized, 64) ||
      !Text(js, "id", s.id, false, 64) || !Comment(js, s.comment) ||
      !Int(js, "console_lun_id", s.consoleLunId, 0, 32767)) {
    return false;
  }
  s.nextSerial = static_cast<uint64_t>(serial);
  std::optional<std::string> wwn = NormaliseWwn(s.wwn, 16);
  if (!wwn) return Fail("invalid wwn " + s.wwn);
  s.wwn = *wwn;
  if (s.id.empty()) s.id = SystemIdFor(s.number);
  if (!s.initialized) s.name = s.wwn;
  if (s.initialized && !IsValidName(s.name))
    return Fail("invalid name " + s.name);
  if (!Hardware(js, s)) return false;
  if (s.initialized) AddRootFolders(s);
  return Folders(js, s) && Groups(js, s) && Disks(js, s) && FillGroups(s) &&
         Hosts(js, s) && Vdisks(js, s, clock) && Luns(js, s) && Events(js, s);
}

// DR groups and the pairing of their members, once every system is known.
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

bool LoadScenario(std::string_view text, Model& model, std::string& error) {
  json root = json::parse(text, nullptr, false);
  if (root.is_discarded() || !root.is_object()) {
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
    if (!loader.Text((*users)[i], "name", user.name, true, 64) ||
        !loader.Text((*users)[i], "password", user.password, true, 64)) {
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
