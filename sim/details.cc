#include "sim/details.h"

#include <ctime>

namespace sim {
namespace {

template <typename T>
const T* ById(const std::vector<T>& objects, std::string_view id) {
  for (const T& object : objects) {
    if (object.id == id) return &object;
  }
  return nullptr;
}

std::string Percent(int value) { return std::to_string(value) + " %"; }

std::string StateOf(const StorageSystem& system) {
  if (!system.initialized) return "uninitialized";
  for (const Controller& controller : system.controllers) {
    if (controller.state != "shutdown") return "good";
  }
  return system.controllers.empty() ? "good" : "unavailable";
}

std::vector<ListedObject> ListDisks(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const Disk& disk : s.disks) rows.push_back({disk.name, disk.id});
  return rows;
}

std::optional<std::vector<Item>> DiskDetail(const Model&,
                                            const StorageSystem& s,
                                            std::string_view id) {
  const Disk* disk = ById(s.disks, id);
  if (disk == nullptr) return std::nullopt;
  const DiskGroup* group = ById(s.groups, disk->groupId);
  bool exercised = false;
  for (const std::string& diskId : s.exercise.diskIds) {
    exercised |= s.exercise.running && diskId == disk->id;
  }
  return std::vector<Item>{
      Leaf("Name", disk->name),
      Leaf("ID", disk->id),
      Leaf("Disk_Type", disk->type),
      Leaf("Capacity", Gigabytes(disk->capacityGb)),
      Leaf("Disk_Group",
           group != nullptr ? GroupName(s, *group) : "Ungrouped Disks"),
      Leaf("Operational_State", "good"),
      Leaf("Exercise_State", exercised ? "running" : "idle"),
      Leaf("Comments", disk->comment),
  };
}

std::vector<ListedObject> ListFolders(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const Folder& folder : s.folders) {
    rows.push_back({FolderPath(s, folder.id), folder.id});
  }
  return rows;
}

std::optional<std::vector<Item>> FolderDetail(const Model&,
                                              const StorageSystem& s,
                                              std::string_view id) {
  const Folder* folder = ById(s.folders, id);
  if (folder == nullptr) return std::nullopt;
  return std::vector<Item>{
      Leaf("Name", FolderPath(s, folder->id)),
      Leaf("ID", folder->id),
      Leaf("Parent_Folder",
           folder->parentId.empty() ? "\\" : FolderPath(s, folder->parentId)),
      Leaf("Folder_Type", RootOf(s, folder->id)),
      Leaf("Comments", folder->comment),
  };
}

std::vector<ListedObject> ListHosts(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const Host& host : s.hosts) rows.push_back({HostName(s, host), host.id});
  return rows;
}

std::optional<std::vector<Item>> HostDetail(const Model&,
                                            const StorageSystem& s,
                                            std::string_view id) {
  const Host* host = ById(s.hosts, id);
  if (host == nullptr) return std::nullopt;
  std::vector<Item> ports;
  for (const std::string& port : host->ports) {
    ports.push_back(Leaf("Port", port));
    ports.push_back(Leaf("Port_State", "online"));
  }
  std::vector<Item> presentations;
  for (const Presentation& lun : s.luns) {
    if (lun.hostId != host->id) continue;
    const Vdisk* vdisk = ById(s.vdisks, lun.vdiskId);
    presentations.push_back(Leaf("Lun", std::to_string(lun.lun)));
    presentations.push_back(
        Leaf("StorageName", vdisk != nullptr ? VdiskName(s, *vdisk) : ""));
  }
  std::string mode = host->mode;
  if (mode.starts_with("CUSTOM=")) mode = "CUSTOM " + mode.substr(7);
  return std::vector<Item>{
      Leaf("Name", HostName(s, *host)),   Leaf("ID", host->id),
      Leaf("Operating_system", mode),     Leaf("IPAddress", host->ip),
      Leaf("Comments", host->comment),    Label("Port"),
      Array(2, std::move(ports)),         Label("Presentation"),
      Array(2, std::move(presentations)),
  };
}

std::vector<ListedObject> ListMonitors(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const Monitor& monitor : s.monitors) {
    rows.push_back({monitor.name, monitor.id});
  }
  return rows;
}

std::optional<std::vector<Item>> MonitorDetail(const Model&,
                                               const StorageSystem& s,
                                               std::string_view id) {
  const Monitor* monitor = ById(s.monitors, id);
  if (monitor == nullptr) return std::nullopt;
  return std::vector<Item>{
      Leaf("Name", monitor->name),
      Leaf("ID", monitor->id),
      Leaf("Operational_State", monitor->state),
      Leaf("Comments", monitor->comment),
  };
}

std::vector<ListedObject> ListVdisks(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const Vdisk& vdisk : s.vdisks) {
    rows.push_back({VdiskName(s, vdisk), vdisk.id});
  }
  return rows;
}

std::optional<std::vector<Item>> VdiskDetail(const Model& model,
                                             const StorageSystem& s,
                                             std::string_view id) {
  const Vdisk* vdisk = ById(s.vdisks, id);
  if (vdisk == nullptr) return std::nullopt;
  const DiskGroup* group = ById(s.groups, vdisk->groupId);
  const Vdisk* source = ById(s.vdisks, vdisk->snapshotOf);
  const DrGroup* drGroup = ById(s.drGroups, vdisk->drGroupId);
  std::vector<Item> presentations;
  for (const Presentation& lun : s.luns) {
    if (lun.vdiskId != vdisk->id) continue;
    const Host* host = ById(s.hosts, lun.hostId);
    presentations.push_back(Leaf("Lun", std::to_string(lun.lun)));
    presentations.push_back(
        Leaf("StorageClientName", host != nullptr ? HostName(s, *host) : ""));
    presentations.push_back(Leaf("StorageClientID", lun.hostId));
  }
  std::vector<Item> snapshots;
  for (const Vdisk& snapshot : s.vdisks) {
    if (snapshot.snapshotOf == vdisk->id) {
      snapshots.push_back(Leaf("Snapshot_Name", VdiskName(s, snapshot)));
    }
  }
  (void)model;
  return std::vector<Item>{
      Leaf("Name", VdiskName(s, *vdisk)),
      Leaf("ID", vdisk->id),
      Leaf("Family_Name", FolderPath(s, vdisk->folderId) + vdisk->name),
      Leaf("Disk_Group", group != nullptr ? GroupName(s, *group) : ""),
      Leaf("Capacity_Req", Gigabytes(vdisk->sizeGb)),
      Leaf("Allocated_Capacity", Gigabytes(AllocatedGb(s, *vdisk))),
      Leaf("Redundancy", vdisk->redundancy),
      Leaf("Write_cache_Policy", vdisk->writeCache),
      Leaf("Read_cache_Policy", vdisk->readCache),
      Leaf("Write_Protect", vdisk->writeProtect),
      Leaf("OS_Unit_ID", std::to_string(vdisk->osUnitId)),
      Leaf("Preferred_path", vdisk->preferredPath),
      Leaf("World_Wide_LUN_Name", vdisk->lunWwn),
      Leaf("Vdisk_Type", source != nullptr ? "snapshot" : "active"),
      Leaf("Snapshot_Source", source != nullptr ? VdiskName(s, *source) : ""),
      Leaf("Allocation_Policy", vdisk->demandAllocated ? "demand" : "fully"),
      Leaf("Operational_State", "good"),
      Leaf("Creation_Time", ClockText(vdisk->created)),
      Leaf("Comments", vdisk->comment),
      Leaf("drmmode", vdisk->drmMode),
      Leaf("drmgroup", drGroup != nullptr ? DrGroupName(s, *drGroup) : ""),
      Leaf("remotevirtualdiskid", vdisk->remoteVdiskId),
      Leaf("remotescellid", vdisk->remoteSystemId),
      Label("Presentation"),
      Array(3, std::move(presentations)),
      Label("Snapshot"),
      Array(1, std::move(snapshots)),
  };
}

std::vector<ListedObject> ListLuns(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const Presentation& lun : s.luns) {
    rows.push_back({std::to_string(lun.lun), lun.id});
  }
  return rows;
}

std::optional<std::vector<Item>> LunDetail(const Model&, const StorageSystem& s,
                                           std::string_view id) {
  const Presentation* lun = ById(s.luns, id);
  if (lun == nullptr) return std::nullopt;
  const Host* host = ById(s.hosts, lun->hostId);
  const Vdisk* vdisk = ById(s.vdisks, lun->vdiskId);
  return std::vector<Item>{
      Leaf("Name", std::to_string(lun->lun)),
      Leaf("ID", lun->id),
      Leaf("Lun", std::to_string(lun->lun)),
      Leaf("StorageClientName", host != nullptr ? HostName(s, *host) : ""),
      Leaf("StorageClientID", lun->hostId),
      Leaf("StorageName", vdisk != nullptr ? VdiskName(s, *vdisk) : ""),
      Leaf("StorageID", lun->vdiskId),
  };
}

std::vector<ListedObject> ListGroups(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const DiskGroup& group : s.groups) {
    rows.push_back({GroupName(s, group), group.id});
  }
  return rows;
}

std::optional<std::vector<Item>> GroupDetail(const Model&,
                                             const StorageSystem& s,
                                             std::string_view id) {
  const DiskGroup* group = ById(s.groups, id);
  if (group == nullptr) return std::nullopt;
  GroupCapacity capacity = CapacityOf(s, *group);
  std::vector<Item> disks;
  for (const Disk& disk : s.disks) {
    if (disk.groupId != group->id) continue;
    disks.push_back(Leaf("Disk_Name", disk.name));
    disks.push_back(Leaf("Disk_ID", disk.id));
  }
  int occupancy =
      capacity.usableGb > 0 ? capacity.usedGb * 100 / capacity.usableGb : 0;
  return std::vector<Item>{
      Leaf("Name", GroupName(s, *group)),
      Leaf("ID", group->id),
      Leaf("Total_Disks", std::to_string(capacity.disks)),
      Leaf("Disk_Failure_Protection_Level", group->sparePolicy),
      Leaf("DiskGroup_DiskType", group->diskType),
      Leaf("Occupancy_Alarm_Level", Percent(group->alarmLevel)),
      Leaf("Total_storage_space", Gigabytes(capacity.usableGb)),
      Leaf("Storage_space_used", Gigabytes(capacity.usedGb)),
      Leaf("Available_storage_space",
           Gigabytes(capacity.usableGb - capacity.usedGb)),
      Leaf("Occupancy", Percent(occupancy)),
      Leaf("Comments", group->comment),
      Label("Disk"),
      Array(2, std::move(disks)),
  };
}

std::vector<ListedObject> ListEventsOf(const StorageSystem& s,
                                       std::string_view kind) {
  std::vector<ListedObject> rows;
  for (const Event& event : s.events) {
    if (event.kind == kind) {
      rows.push_back({event.code + " " + ClockText(event.time), event.id});
    }
  }
  return rows;
}

std::optional<std::vector<Item>> EventDetail(const Model&,
                                             const StorageSystem& s,
                                             std::string_view id) {
  const Event* event = ById(s.events, id);
  if (event == nullptr) return std::nullopt;
  return std::vector<Item>{
      Leaf("Name", event->code + " " + ClockText(event->time)),
      Leaf("ID", event->id),
      Leaf("Event_Code", event->code),
      Leaf("Event_Type", event->kind),
      Leaf("Time", ClockText(event->time)),
      Leaf("Description", event->text),
  };
}

std::vector<ListedObject> ListDiskEvents(const StorageSystem& s) {
  return ListEventsOf(s, "disk");
}
std::vector<ListedObject> ListManagementEvents(const StorageSystem& s) {
  return ListEventsOf(s, "management");
}
std::vector<ListedObject> ListSystemEvents(const StorageSystem& s) {
  return ListEventsOf(s, "system");
}
std::vector<ListedObject> ListTerminationEvents(const StorageSystem& s) {
  return ListEventsOf(s, "termination");
}

// World wide names: the system's own and every host adapter's.
std::vector<ListedObject> ListWwns(const StorageSystem& s) {
  std::vector<ListedObject> rows{{s.wwn, s.wwn}};
  for (const Host& host : s.hosts) {
    for (const std::string& port : host.ports) rows.push_back({port, port});
  }
  return rows;
}

std::optional<std::vector<Item>> WwnDetail(const Model&, const StorageSystem& s,
                                           std::string_view id) {
  if (id == s.wwn) {
    return std::vector<Item>{Leaf("Name", s.wwn), Leaf("ID", s.wwn),
                             Leaf("Owner", s.name),
                             Leaf("Owner_Type", "Storage system")};
  }
  for (const Host& host : s.hosts) {
    for (const std::string& port : host.ports) {
      if (port == id) {
        return std::vector<Item>{Leaf("Name", port), Leaf("ID", port),
                                 Leaf("Owner", HostName(s, host)),
                                 Leaf("Owner_Type", "Host adapter")};
      }
    }
  }
  return std::nullopt;
}

std::vector<ListedObject> ListPower(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const Controller& controller : s.controllers) {
    rows.push_back({controller.name, controller.id});
  }
  return rows;
}

// Either controller's details describe the pair, A first, since restarts and
// shutdowns may act on both.
std::optional<std::vector<Item>> PowerDetail(const Model&,
                                             const StorageSystem& s,
                                             std::string_view id) {
  const Controller* asked = ById(s.controllers, id);
  if (asked == nullptr) return std::nullopt;
  std::vector<Item> rows;
  for (const Controller& controller : s.controllers) {
    rows.push_back(Leaf("Name", controller.name));
    rows.push_back(Leaf("ID", controller.id));
    rows.push_back(Leaf("Operational_State", controller.state));
    rows.push_back(
        Leaf("Power_State", controller.state == "shutdown" ? "off" : "on"));
  }
  return std::vector<Item>{Label("Controller"), Array(4, std::move(rows)),
                           Leaf("Requested_Controller", asked->name)};
}

std::vector<ListedObject> ListDrGroups(const StorageSystem& s) {
  std::vector<ListedObject> rows;
  for (const DrGroup& group : s.drGroups) {
    rows.push_back({DrGroupName(s, group), group.id});
  }
  return rows;
}

// The remote system comes first among the group's cell identifiers and
// names: it is where destination objects are looked up.
std::optional<std::vector<Item>> DrGroupDetail(const Model& model,
                                               const StorageSystem& s,
                                               std::string_view id) {
  const DrGroup* group = ById(s.drGroups, id);
  if (group == nullptr) return std::nullopt;
  std::vector<Item> members;
  for (const std::string& memberId : group->members) {
    const Vdisk* vdisk = ById(s.vdisks, memberId);
    members.push_back(Container(
        "member",
        {Leaf("objectid", memberId),
         Leaf("objectname", vdisk != nullptr ? VdiskName(s, *vdisk) : "")}));
  }
  const StorageSystem* remote = ById(model.systems, group->remoteSystemId);
  const DrGroup* remoteGroup =
      remote != nullptr ? ById(remote->drGroups, group->remoteGroupId)
                        : nullptr;
  return std::vector<Item>{Container(
      "object",
      {Leaf("objectid", group->id), Leaf("objectname", DrGroupName(s, *group)),
       Leaf("objecttype", "drmgroup"), Leaf("drmmode", group->mode),
       Leaf("accessmode", group->accessMode),
       Leaf("writemode", group->writeMode),
       Leaf("suspendstate", group->suspend), Leaf("failsafe", group->failsafe),
       Leaf("comments", group->comment), Leaf("operationalstate", "good"),
       Container("membervirtualdisks", std::move(members)),
       Container(
           "linkscells",
           {Container(
               "link",
               {Leaf("scellid", group->remoteSystemId),
                Leaf("scellname", remote != nullptr ? remote->name : ""),
                Leaf("remotegroupid", group->remoteGroupId),
                Leaf("remotegroupname", remoteGroup != nullptr
                                            ? DrGroupName(*remote, *remoteGroup)
                                            : "")})})})};
}

constexpr ObjectKind kKinds[] = {
    {"Disk", "disk", ListDisks, DiskDetail},
    {"Folder", "folder", ListFolders, FolderDetail},
    {"StorageClient", "host", ListHosts, HostDetail},
    {"Monitor", nullptr, ListMonitors, MonitorDetail},
    {"Storage", "virtualdisk", ListVdisks, VdiskDetail},
    {"PresentedUnit", "presentedunit", ListLuns, LunDetail},
    {"DiskGroup", "diskgroup", ListGroups, GroupDetail},
    {"DiskEvents", nullptr, ListDiskEvents, EventDetail},
    {"ManagementEvents", nullptr, ListManagementEvents, EventDetail},
    {"SystemEvents", nullptr, ListSystemEvents, EventDetail},
    {"TerminationEvents", nullptr, ListTerminationEvents, EventDetail},
    {"WorldWideNames", nullptr, ListWwns, WwnDetail},
    {"Power", nullptr, ListPower, PowerDetail},
    {"drmgroup", "drmgroup", ListDrGroups, DrGroupDetail},
};

}  // namespace

const ObjectKind* FindKindByElementType(std::string_view elementType) {
  for (const ObjectKind& kind : kKinds) {
    if (elementType == kind.elementType) return &kind;
  }
  return nullptr;
}

const ObjectKind* FindKindByObjectType(std::string_view objectType) {
  for (const ObjectKind& kind : kKinds) {
    if (kind.objectType != nullptr && objectType == kind.objectType) {
      return &kind;
    }
  }
  return nullptr;
}

std::vector<ListedObject> ListSystems(const Model& model) {
  std::vector<ListedObject> rows;
  for (const StorageSystem& system : model.systems) {
    rows.push_back({system.name, system.id});
  }
  return rows;
}

std::optional<std::vector<Item>> SystemDetail(const Model& model,
                                              std::string_view id) {
  const StorageSystem* s = ById(model.systems, id);
  if (s == nullptr) return std::nullopt;
  int total = 0;
  int used = 0;
  for (const DiskGroup& group : s->groups) {
    GroupCapacity capacity = CapacityOf(*s, group);
    total += capacity.usableGb;
    used += capacity.usedGb;
  }
  return std::vector<Item>{
      Leaf("Name", s->name),
      Leaf("ID", s->id),
      Leaf("World_Wide_Name", s->wwn),
      Leaf("Operational_State", StateOf(*s)),
      Leaf("Console_LUN_ID", std::to_string(s->consoleLunId)),
      Leaf("Total_disks", std::to_string(s->disks.size())),
      Leaf("Comments", s->comment),
      Label("Capacity"),
      Category({Leaf("Total_storage_space", Gigabytes(total)),
                Leaf("Storage_space_used", Gigabytes(used)),
                Leaf("Available_storage_space", Gigabytes(total - used))}),
  };
}

std::string Gigabytes(int value) { return std::to_string(value) + " GB"; }

std::string ClockText(int64_t seconds) {
  std::time_t when = static_cast<std::time_t>(seconds);
  std::tm parts{};
  gmtime_r(&when, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

}  // namespace sim
