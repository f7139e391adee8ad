#include <nlohmann/json.hpp>

#include "sim/scenario.h"

namespace sim {
namespace {

using nlohmann::ordered_json;

template <typename T>
const T* ById(const std::vector<T>& objects, std::string_view id) {
  for (const T& object : objects) {
    if (object.id == id) return &object;
  }
  return nullptr;
}

ordered_json SaveDisks(const StorageSystem& s) {
  ordered_json disks = ordered_json::array();
  for (const Disk& disk : s.disks) {
    const DiskGroup* group = ById(s.groups, disk.groupId);
    disks.push_back({{"id", disk.id},
                     {"name", disk.name},
                     {"type", disk.type},
                     {"capacity_gb", disk.capacityGb},
                     {"group", group != nullptr ? GroupName(s, *group) : ""},
                     {"comment", disk.comment}});
  }
  return disks;
}

ordered_json SaveVdisk(const Model& model, const StorageSystem& s,
                       const Vdisk& v) {
  ordered_json out = {{"id", v.id}, {"name", VdiskName(s, v)}};
  if (const Vdisk* source = ById(s.vdisks, v.snapshotOf)) {
    out["snapshot_of"] = VdiskName(s, *source);
    out["allocation"] = v.demandAllocated ? "demand" : "fully";
  }
  const DiskGroup* group = ById(s.groups, v.groupId);
  out["group"] = group != nullptr ? GroupName(s, *group) : "";
  out["size_gb"] = v.sizeGb;
  out["redundancy"] = v.redundancy;
  out["write_cache"] = v.writeCache;
  out["read_cache"] = v.readCache;
  out["write_protect"] = v.writeProtect;
  out["preferred_path"] = v.preferredPath;
  out["os_unit_id"] = v.osUnitId;
  out["lun_wwn"] = v.lunWwn;
  out["comment"] = v.comment;
  out["created"] = v.created;
  if (!v.drGroupId.empty()) {
    const StorageSystem* remote = ById(model.systems, v.remoteSystemId);
    const Vdisk* partner =
        remote != nullptr ? ById(remote->vdisks, v.remoteVdiskId) : nullptr;
    out["dr_mode"] = v.drmMode;
    out["remote_system"] = remote != nullptr ? remote->name : "";
    out["remote_vdisk"] =
        partner != nullptr ? VdiskName(*remote, *partner) : "";
  }
  return out;
}

ordered_json SaveDrGroup(const Model& model, const StorageSystem& s,
                         const DrGroup& g) {
  const StorageSystem* remote = ById(model.systems, g.remoteSystemId);
  const DrGroup* partner =
      remote != nullptr ? ById(remote->drGroups, g.remoteGroupId) : nullptr;
  ordered_json members = ordered_json::array();
  for (const std::string& id : g.members) {
    if (const Vdisk* v = ById(s.vdisks, id))
      members.push_back(VdiskName(s, *v));
  }
  return {{"id", g.id},
          {"name", DrGroupName(s, g)},
          {"mode", g.mode},
          {"remote_system", remote != nullptr ? remote->name : ""},
          {"remote_group",
           partner != nullptr ? DrGroupName(*remote, *partner) : ""},
          {"members", members},
          {"access_mode", g.accessMode},
          {"write_mode", g.writeMode},
          {"suspend", g.suspend},
          {"failsafe", g.failsafe},
          {"comment", g.comment}};
}

ordered_json SaveSystem(const Model& model, const StorageSystem& s) {
  ordered_json out = {{"id", s.id},
                      {"number", s.number},
                      {"next_serial", s.nextSerial},
                      {"name", s.name},
                      {"wwn", s.wwn},
                      {"initialized", s.initialized},
                      {"comment", s.comment},
                      {"console_lun_id", s.consoleLunId}};
  out["controllers"] = ordered_json::array();
  for (const Controller& c : s.controllers) {
    out["controllers"].push_back(
        {{"id", c.id}, {"name", c.name}, {"state", c.state}});
  }
  out["monitors"] = ordered_json::array();
  for (const Monitor& m : s.monitors) {
    out["monitors"].push_back({{"id", m.id},
                               {"name", m.name},
                               {"state", m.state},
                               {"comment", m.comment}});
  }
  out["disks"] = SaveDisks(s);
  out["folders"] = ordered_json::array();
  for (const Folder& f : s.folders) {
    out["folders"].push_back(
        {{"id", f.id}, {"path", FolderPath(s, f.id)}, {"comment", f.comment}});
  }
  out["disk_groups"] = ordered_json::array();
  for (const DiskGroup& g : s.groups) {
    out["disk_groups"].push_back({{"id", g.id},
                                  {"name", GroupName(s, g)},
                                  {"spare_policy", g.sparePolicy},
                                  {"disk_type", g.diskType},
                                  {"occupancy_alarm", g.alarmLevel},
                                  {"comment", g.comment}});
  }
  out["hosts"] = ordered_json::array();
  for (const Host& h : s.hosts) {
    out["hosts"].push_back({{"id", h.id},
                            {"name", HostName(s, h)},
                            {"os", h.mode},
                            {"ip", h.ip},
                            {"ports", h.ports},
                            {"comment", h.comment}});
  }
  out["vdisks"] = ordered_json::array();
  for (const Vdisk& v : s.vdisks) {
    out["vdisks"].push_back(SaveVdisk(model, s, v));
  }
  out["luns"] = ordered_json::array();
  for (const Presentation& p : s.luns) {
    const Host* host = ById(s.hosts, p.hostId);
    const Vdisk* vdisk = ById(s.vdisks, p.vdiskId);
    out["luns"].push_back(
        {{"id", p.id},
         {"lun", p.lun},
         {"host", host != nullptr ? HostName(s, *host) : ""},
         {"vdisk", vdisk != nullptr ? VdiskName(s, *vdisk) : ""}});
  }
  out["dr_groups"] = ordered_json::array();
  for (const DrGroup& g : s.drGroups) {
    out["dr_groups"].push_back(SaveDrGroup(model, s, g));
  }
  out["events"] = ordered_json::array();
  for (const Event& e : s.events) {
    out["events"].push_back({{"id", e.id},
                             {"kind", e.kind},
                             {"code", e.code},
                             {"text", e.text},
                             {"time", e.time}});
  }
  return out;
}

}  // namespace

std::string SaveScenario(const Model& model, bool withPasswords) {
  ordered_json users = ordered_json::array();
  for (const User& user : model.users) {
    ordered_json entry = {{"name", user.name}};
    if (withPasswords) entry["password"] = user.password;
    users.push_back(entry);
  }
  ordered_json out = {{"manager",
                       {{"version", model.version},
                        {"build", model.build},
                        {"xml_interface", model.xmlInterface},
                        {"users", users}}},
                      {"clock", model.clock}};
  out["systems"] = ordered_json::array();
  for (const StorageSystem& s : model.systems) {
    out["systems"].push_back(SaveSystem(model, s));
  }
  return out.dump(2) + "\n";
}

Model EmptyModel() {
  Model model;
  model.users.push_back(User{"administrator", "administrator"});
  return model;
}

}  // namespace sim
