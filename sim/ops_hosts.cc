// Hosts, their adapters and LUN presentations.
#include <cctype>

#include "sim/handlers.h"

namespace sim {
namespace {

constexpr Term kHostModes[] = {
    {"0", "UNKNOWN"},     {"UNKNOWN", "UNKNOWN"}, {"ORDAN", "ORDAN"},
    {"ARVEN", "ARVEN"},   {"BRASKEL", "BRASKEL"}, {"MIRADOR", "MIRADOR"},
    {"VALMER", "VALMER"}, {"TEMPLAR", "TEMPLAR"},
};
constexpr int kMaxLun = 255;

// A custom mode carries a functionality mask of at most 64 bits.
bool IsCustomMask(std::string_view mask) {
  int significant = 0;
  bool any = false;
  for (char c : mask) {
    if (c == '-') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    any = true;
    if (significant > 0 || c != '0') ++significant;
  }
  return any && significant <= 16;
}

std::optional<Answer> ReadMode(const Context& c, std::string& mode) {
  const std::string* value = Prop(c, "StorageClientMode");
  if (value == nullptr) return std::nullopt;
  if (value->starts_with("CUSTOM=") && IsCustomMask(value->substr(7)) &&
      IsPlainText(*value, 64)) {
    mode = *value;
    return std::nullopt;
  }
  auto known = Translate(kHostModes, *value);
  if (!known)
    return Refuse(Refusal::kInvalidValue, "StorageClientMode " + *value);
  mode = *known;
  return std::nullopt;
}

std::optional<Answer> ReadIp(const Context& c, std::string& ip) {
  const std::string* value = Prop(c, "StorageClientIP");
  if (value == nullptr) return std::nullopt;
  bool valid = !value->empty() && value->size() <= 64;
  for (char ch : *value) {
    valid &=
        std::isalnum(static_cast<unsigned char>(ch)) || ch == '.' || ch == '-';
  }
  if (!valid)
    return Refuse(Refusal::kInvalidValue, "StorageClientIP " + *value);
  ip = *value;
  return std::nullopt;
}

bool AdapterInUse(const StorageSystem& s, std::string_view wwn) {
  for (const Host& host : s.hosts) {
    for (const std::string& port : host.ports) {
      if (port == wwn) return true;
    }
  }
  return false;
}

std::optional<Answer> ReadAdapter(std::string_view value, std::string& wwn) {
  std::optional<std::string> normal = NormaliseWwn(value, 16);
  if (!normal) {
    return Refuse(Refusal::kInvalidValue,
                  "StorageClientAdapterID " + std::string(value));
  }
  wwn = *normal;
  return std::nullopt;
}

Host* HostFromId(Context& c, Answer& refused) {
  const std::string* id = Prop(c, "ID");
  Host* host = id != nullptr ? FindHost(*c.system, *id) : nullptr;
  if (host == nullptr) {
    refused = Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  return host;
}

}  // namespace

Answer CreateHost(Context& c) {
  StorageSystem& s = *c.system;
  Host host;
  const std::string* name = Prop(c, "Name");
  if (name == nullptr) return Refuse(Refusal::kMissingProperty, "Name");
  if (auto refused = ChooseFolder(c, kHostRoot, host.folderId)) return *refused;
  if (auto refused =
          CheckNewName(*name, NameTakenInFolder(s, host.folderId, *name))) {
    return *refused;
  }
  host.name = *name;
  if (auto refused = ReadMode(c, host.mode)) return *refused;
  if (auto refused = ReadIp(c, host.ip)) return *refused;
  if (auto refused = ReadComment(c, host.comment)) return *refused;
  for (const std::string& value :
       AllProperties(c.request, "StorageClientAdapterID")) {
    std::string wwn;
    if (auto refused = ReadAdapter(value, wwn)) return *refused;
    bool twice = false;
    for (const std::string& port : host.ports) twice |= port == wwn;
    if (twice || AdapterInUse(s, wwn)) {
      return Refuse(Refusal::kAdapterInUse, wwn);
    }
    host.ports.push_back(wwn);
  }
  host.id = NewId(s, IdKind::kHost);
  s.hosts.push_back(host);
  return Done("Host " + HostName(s, host) + " created", host.id);
}

Answer SetHost(Context& c) {
  StorageSystem& s = *c.system;
  Answer refusedHost;
  Host* host = HostFromId(c, refusedHost);
  if (host == nullptr) return refusedHost;
  Host updated = *host;
  if (const std::string* name = Prop(c, "Name")) {
    if (auto refused = CheckNewName(
            *name, NameTakenInFolder(s, host->folderId, *name, host->id))) {
      return *refused;
    }
    updated.name = *name;
  }
  if (auto refused = ReadMode(c, updated.mode)) return *refused;
  if (auto refused = ReadIp(c, updated.ip)) return *refused;
  if (auto refused = ReadComment(c, updated.comment)) return *refused;
  if (const std::string* operation = Prop(c, "Operation")) {
    const std::string* value = Prop(c, "StorageClientAdapterID");
    if (value == nullptr) {
      return Refuse(Refusal::kMissingProperty, "StorageClientAdapterID");
    }
    std::string wwn;
    if (auto refused = ReadAdapter(*value, wwn)) return *refused;
    if (*operation == "addAdapterID") {
      if (AdapterInUse(s, wwn)) return Refuse(Refusal::kAdapterInUse, wwn);
      updated.ports.push_back(wwn);
    } else if (*operation == "deleteAdapterID") {
      if (std::erase(updated.ports, wwn) == 0) {
        return Refuse(Refusal::kNoSuchAdapter, wwn);
      }
    } else {
      return Refuse(Refusal::kInvalidValue, "Operation " + *operation);
    }
  }
  *host = updated;
  return Done("Host " + HostName(s, *host) + " changed");
}

Answer DeleteHost(Context& c) {
  StorageSystem& s = *c.system;
  Answer refusedHost;
  Host* host = HostFromId(c, refusedHost);
  if (host == nullptr) return refusedHost;
  std::string name = HostName(s, *host);
  for (const Presentation& lun : s.luns) {
    if (lun.hostId == host->id) return Refuse(Refusal::kHostPresented, name);
  }
  std::string id = host->id;
  std::erase_if(s.hosts, [&](const Host& h) { return h.id == id; });
  return Done("Host " + name + " deleted");
}

Answer CreateLun(Context& c) {
  StorageSystem& s = *c.system;
  const std::string* number = Prop(c, "LUN");
  const std::string* hostId = Prop(c, "StorageClientID");
  const std::string* vdiskId = Prop(c, "StorageID");
  if (number == nullptr) return Refuse(Refusal::kMissingProperty, "LUN");
  if (hostId == nullptr) {
    return Refuse(Refusal::kMissingProperty, "StorageClientID");
  }
  if (vdiskId == nullptr) return Refuse(Refusal::kMissingProperty, "StorageID");
  std::optional<int> lun = ParseNumber(*number, 1, kMaxLun);
  if (!lun) return Refuse(Refusal::kInvalidValue, "LUN " + *number);
  const Host* host = FindHost(s, *hostId);
  if (host == nullptr) return Refuse(Refusal::kNoSuchObject, *hostId);
  const Vdisk* vdisk = FindVdisk(s, *vdiskId);
  if (vdisk == nullptr) return Refuse(Refusal::kNoSuchObject, *vdiskId);
  for (const Presentation& existing : s.luns) {
    if (existing.hostId != host->id) continue;
    if (existing.lun == *lun) {
      return Refuse(Refusal::kLunInUse, *number + " on " + HostName(s, *host));
    }
    if (existing.vdiskId == vdisk->id) {
      return Refuse(Refusal::kAlreadyPresented, HostName(s, *host));
    }
  }
  Presentation presentation{NewId(s, IdKind::kLun), *lun, host->id, vdisk->id};
  s.luns.push_back(presentation);
  return Done("LUN " + *number + " presents " + VdiskName(s, *vdisk) + " to " +
                  HostName(s, *host),
              presentation.id);
}

Answer DeleteLun(Context& c) {
  StorageSystem& s = *c.system;
  const std::string* id = Prop(c, "ID");
  Presentation* lun = id != nullptr ? FindLun(s, *id) : nullptr;
  if (lun == nullptr) {
    return Refuse(Refusal::kNoSuchObject, id != nullptr ? *id : "ID");
  }
  std::string number = std::to_string(lun->lun);
  std::string lunId = lun->id;
  std::erase_if(s.luns, [&](const Presentation& p) { return p.id == lunId; });
  return Done("LUN " + number + " deleted");
}

}  // namespace sim
