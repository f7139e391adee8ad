// Systems, controllers and monitors.
#include "sim/handlers.h"

namespace sim {
namespace {

constexpr Term kSparePolicies[] = {
    {"None", "None"}, {"Single", "Single"}, {"Double", "Double"}};
constexpr Term kDiskTypes[] = {{"Online", "Online"},
                               {"Near-Online", "Near-Online"}};
constexpr Term kYesNo[] = {{"YES", "YES"}, {"NO", "NO"}};

// The system a request about systems names by its "ID".
std::optional<Answer> SystemFromId(Context& c) {
  const std::string* id = Prop(c, "ID");
  if (id == nullptr || id->empty()) {
    return Refuse(Refusal::kMissingProperty, "ID");
  }
  c.system = FindSystem(c.model, *id);
  if (c.system == nullptr) return Refuse(Refusal::kNoSuchSystem, *id);
  return std::nullopt;
}

bool SystemNameTaken(const Model& model, std::string_view name,
                     const StorageSystem* except) {
  for (const StorageSystem& system : model.systems) {
    if (&system != except && system.name == name) return true;
  }
  return false;
}

std::optional<Answer> ReadConsoleLun(const Context& c, int& consoleLunId) {
  const std::string* value = Prop(c, "BraskelID");
  if (value == nullptr) return std::nullopt;
  std::optional<int> number = ParseNumber(*value, 0, 32767);
  if (!number) return Refuse(Refusal::kInvalidValue, "BraskelID " + *value);
  consoleLunId = *number;
  return std::nullopt;
}

}  // namespace

Answer CreateSystem(Context& c) {
  if (auto refused = SystemFromId(c)) return *refused;
  StorageSystem& s = *c.system;
  if (s.initialized) return Refuse(Refusal::kAlreadyInitialized, s.name);
  const std::string* name = Prop(c, "Name");
  if (name == nullptr) return Refuse(Refusal::kMissingProperty, "Name");
  if (auto refused = CheckNewName(*name, SystemNameTaken(c.model, *name, &s))) {
    return *refused;
  }
  std::string spare = "Single";
  if (const std::string* value = Prop(c, "SparePolicy")) {
    auto policy = Translate(kSparePolicies, *value);
    if (!policy) return Refuse(Refusal::kInvalidValue, "SparePolicy " + *value);
    spare = *policy;
  }
  std::string diskType = "Online";
  if (const std::string* value = Prop(c, "scdisktype")) {
    auto type = Translate(kDiskTypes, *value);
    if (!type) return Refuse(Refusal::kInvalidValue, "scdisktype " + *value);
    diskType = *type;
  }
  int free = 0;
  for (const Disk& disk : s.disks) free += disk.type == diskType ? 1 : 0;
  int count = 8;
  if (const std::string* value = Prop(c, "DeviceCount")) {
    std::optional<int> number = ParseNumber(*value, 1, 100000);
    if (!number) return Refuse(Refusal::kInvalidValue, "DeviceCount " + *value);
    count = *number;
  }
  if (count < 8) return Refuse(Refusal::kTooFewDisks);
  if (count > free) {
    return Refuse(Refusal::kNotEnoughDisks,
                  std::to_string(count) + " " + diskType + " disks asked, " +
                      std::to_string(free) + " present");
  }
  int consoleLunId = 0;
  if (auto refused = ReadConsoleLun(c, consoleLunId)) return *refused;
  std::string comment;
  if (auto refused = ReadComment(c, comment)) return *refused;
  InitializeSystem(s, *name, count, spare, diskType);
  AddHardware(s);
  s.consoleLunId = consoleLunId;
  s.comment = comment;
  return Done("Storage system " + s.name + " initialized", s.id);
}

Answer SetSystem(Context& c) {
  if (auto refused = SystemFromId(c)) return *refused;
  StorageSystem& s = *c.system;
  if (!s.initialized) return Refuse(Refusal::kNotInitialized, s.name);
  std::string name = s.name;
  if (const std::string* value = Prop(c, "Name")) {
    if (auto refused =
            CheckNewName(*value, SystemNameTaken(c.model, *value, &s))) {
      return *refused;
    }
    name = *value;
  }
  int consoleLunId = s.consoleLunId;
  if (auto refused = ReadConsoleLun(c, consoleLunId)) return *refused;
  std::string comment = s.comment;
  if (auto refused = ReadComment(c, comment)) return *refused;
  s.name = name;
  s.consoleLunId = consoleLunId;
  s.comment = comment;
  return Done("Storage system " + s.name + " changed");
}

// Deleting a system destroys its whole configuration, as a client warns its
// user before sending it: disk groups, virtual disks, hosts, LUNs and DR
// groups. The array goes back to the uninitialized state, listed under its
// world wide name.
Answer DeleteSystem(Context& c) {
  if (auto refused = SystemFromId(c)) return *refused;
  StorageSystem& s = *c.system;
  if (!s.initialized) return Refuse(Refusal::kNotInitialized, s.name);
  UnpairSystem(c.model, s);
  std::string oldName = s.name;
  s.initialized = false;
  s.name = s.wwn;
  s.comment.clear();
  s.consoleLunId = 0;
  s.folders.clear();
  s.groups.clear();
  s.hosts.clear();
  s.vdisks.clear();
  s.luns.clear();
  s.drGroups.clear();
  s.exercise = DiskExercise{};
  for (Disk& disk : s.disks) disk.groupId.clear();
  return Done("Storage system " + oldName + " deleted");
}

Answer SetPower(Context& c) {
  const std::string* id = Prop(c, "ID");
  Controller* controller =
      id != nullptr ? FindController(*c.system, *id) : nullptr;
  if (controller == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  const std::string* restart = Prop(c, "Restart");
  if (restart == nullptr) return Refuse(Refusal::kMissingProperty, "Restart");
  auto restarting = Translate(kYesNo, *restart);
  if (!restarting) return Refuse(Refusal::kInvalidValue, "Restart " + *restart);
  std::string coupled = "NO";
  if (const std::string* value = Prop(c, "Coupled")) {
    auto both = Translate(kYesNo, *value);
    if (!both) return Refuse(Refusal::kInvalidValue, "Coupled " + *value);
    coupled = *both;
  }
  std::string state = *restarting == "YES" ? "good" : "shutdown";
  for (Controller& each : c.system->controllers) {
    if (&each == controller || coupled == "YES") each.state = state;
  }
  std::string what = coupled == "YES" ? "Controllers" : controller->name;
  return Done(what + (state == "good" ? " restarted" : " shut down"));
}

Answer SetMonitor(Context& c) {
  const std::string* id = Prop(c, "ID");
  Monitor* monitor = id != nullptr ? FindMonitor(*c.system, *id) : nullptr;
  if (monitor == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  Monitor updated = *monitor;
  if (const std::string* name = Prop(c, "Name")) {
    bool taken = false;
    for (const Monitor& other : c.system->monitors) {
      taken |= &other != monitor && other.name == *name;
    }
    if (auto refused = CheckNewName(*name, taken)) return *refused;
    updated.name = *name;
  }
  if (auto refused = ReadComment(c, updated.comment)) return *refused;
  *monitor = updated;
  return Done("Monitor " + monitor->name + " changed");
}

}  // namespace sim
