// Loading one system's objects from a scenario.
#include <cstdio>

#include "sim/scenario_loader.h"

namespace sim {

bool Loader::Folders(const json& js, StorageSystem& s) {
  const json* entries = Entries(js, "folders");
  if (entries == nullptr) return false;
  for (const json& entry : *entries) {
    std::string path;
    if (!Text(entry, "path", path, true, 512)) return false;
    if (!path.starts_with("\\") || !path.ends_with("\\") || path.size() < 3) {
      return Fail("folder path \"" + path + "\" must start and end with \\");
    }
    if (FolderByPath(s, path) != nullptr) {
      return Fail("folder " + path + " listed twice");
    }
    Folder folder;
    size_t cut = path.rfind('\\', path.size() - 2);
    folder.name = path.substr(cut + 1, path.size() - cut - 2);
    if (cut == 0) {
      bool root = false;
      for (std::string_view name :
           {kVdiskRoot, kHostRoot, kGroupRoot, kDrRoot}) {
        root |= folder.name == name;
      }
      if (!root) return Fail("unknown root folder " + path);
    } else {
      Folder* parent = FolderByPath(s, path.substr(0, cut + 1));
      if (parent == nullptr && s.initialized) {
        // A hand-written file may leave the root folders out.
        AddRootFolders(s);
        parent = FolderByPath(s, path.substr(0, cut + 1));
      }
      if (parent == nullptr) {
        return Fail("parent of " + path + " not listed before it");
      }
      if (!IsValidName(folder.name)) return Fail("invalid folder name " + path);
      folder.parentId = parent->id;
    }
    if (!Comment(entry, folder.comment)) return false;
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
  // Root folders the file leaves out are added; a saved file lists them.
  if (!Hardware(js, s) || !Folders(js, s)) return false;
  if (s.initialized) AddRootFolders(s);
  return Groups(js, s) && Disks(js, s) && FillGroups(s) && Hosts(js, s) &&
         Vdisks(js, s, clock) && Luns(js, s) && Events(js, s);
}

// DR groups and the pairing of their members, once every system is known.

}  // namespace sim
