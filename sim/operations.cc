#include "sim/operations.h"

#include <charconv>

#include "sim/handlers.h"

namespace sim {
namespace {

// What a route needs before its handler runs.
enum class Scope {
  kManager,    // no system, or the handler finds its own
  kSystem,     // an initialized system with a running controller
  kAnySystem,  // any system the manager knows, even one shut down
};

struct Route {
  Dialect dialect;
  const char* operation;
  const char* type;  // Type (list dialect) or objecttype; nullptr: any
  Scope scope;
  Answer (*handler)(Context&);
};

constexpr Route kRoutes[] = {
    {Dialect::kV1, "Get", nullptr, Scope::kManager, GetObjects},
    {Dialect::kV1, "Create", "Element", Scope::kManager, CreateSystem},
    {Dialect::kV1, "Set", "Element", Scope::kManager, SetSystem},
    {Dialect::kV1, "Delete", "Element", Scope::kManager, DeleteSystem},
    {Dialect::kV1, "Set", "Power", Scope::kAnySystem, SetPower},
    {Dialect::kV1, "Set", "Monitor", Scope::kSystem, SetMonitor},
    {Dialect::kV1, "Create", "DiskGroup", Scope::kSystem, CreateDiskGroup},
    {Dialect::kV1, "Set", "DiskGroup", Scope::kSystem, SetDiskGroup},
    {Dialect::kV1, "Delete", "DiskGroup", Scope::kSystem, DeleteDiskGroup},
    {Dialect::kV1, "Create", "Folder", Scope::kSystem, CreateFolder},
    {Dialect::kV1, "Set", "Folder", Scope::kSystem, SetFolder},
    {Dialect::kV1, "Delete", "Folder", Scope::kSystem, DeleteFolder},
    {Dialect::kV1, "Set", "Disk", Scope::kSystem, SetDisk},
    {Dialect::kV1, "Create", "StorageClient", Scope::kSystem, CreateHost},
    {Dialect::kV1, "Set", "StorageClient", Scope::kSystem, SetHost},
    {Dialect::kV1, "Delete", "StorageClient", Scope::kSystem, DeleteHost},
    {Dialect::kV1, "Create", "PresentedUnit", Scope::kSystem, CreateLun},
    {Dialect::kV1, "Delete", "PresentedUnit", Scope::kSystem, DeleteLun},
    {Dialect::kV1, "Create", "Storage", Scope::kSystem, CreateVdisk},
    {Dialect::kV1, "Set", "Storage", Scope::kSystem, SetVdisk},
    {Dialect::kV1, "Delete", "Storage", Scope::kSystem, DeleteVdisk},
    {Dialect::kV1, "Copy", "Snapshot", Scope::kSystem, CopyVdisk},
    {Dialect::kV1, "Copy", "Clone", Scope::kSystem, CopyVdisk},
    {Dialect::kV3, "getproperties", nullptr, Scope::kSystem, GetProperties},
    {Dialect::kV3, "createobject", "drmgroup", Scope::kSystem, CreateDrGroup},
    {Dialect::kV3, "setproperties", nullptr, Scope::kSystem, SetDrGroup},
    {Dialect::kV3, "deleteobject", "drmgroup", Scope::kSystem, DeleteDrGroup},
    {Dialect::kV3, "getsysteminfo", nullptr, Scope::kManager, GetSystemInfo},
    {Dialect::kV3, "discoverstoragecell", nullptr, Scope::kManager,
     DiscoverStorageCell},
    {Dialect::kV3, "getobjectlist", nullptr, Scope::kAnySystem, GetObjectList},
    {Dialect::kV3, "startdiskexercise", nullptr, Scope::kSystem,
     StartDiskExercise},
    {Dialect::kV3, "stopdiskexercise", nullptr, Scope::kSystem,
     StopDiskExercise},
    {Dialect::kV3, "diskexercisesummary", nullptr, Scope::kSystem,
     DiskExerciseSummary},
};

const Route* FindRoute(const OperationRequest& request) {
  const char* typeName =
      request.dialect == Dialect::kV1 ? "Type" : "objecttype";
  const std::string* type = FindProperty(request, typeName);
  for (const Route& route : kRoutes) {
    if (route.dialect != request.dialect ||
        request.operation != route.operation) {
      continue;
    }
    if (route.type == nullptr || (type != nullptr && *type == route.type)) {
      return &route;
    }
  }
  return nullptr;
}

bool ControllersDown(const StorageSystem& system) {
  for (const Controller& controller : system.controllers) {
    if (controller.state != "shutdown") return false;
  }
  return !system.controllers.empty();
}

// Resolves the system a route works on; an answer when it cannot.
std::optional<Answer> ResolveSystem(Context& c, Scope scope) {
  if (scope == Scope::kManager) return std::nullopt;
  const char* key = c.request.dialect == Dialect::kV1 ? "ElementID" : "scellid";
  const std::string* id = Prop(c, key);
  if (id == nullptr || id->empty()) {
    return Refuse(Refusal::kMissingProperty, key);
  }
  c.system = FindSystem(c.model, *id);
  if (c.system == nullptr) return Refuse(Refusal::kNoSuchSystem, *id);
  if (scope == Scope::kAnySystem) return std::nullopt;
  if (!c.system->initialized) {
    return Refuse(Refusal::kNotInitialized, c.system->name);
  }
  if (ControllersDown(*c.system)) {
    return Refuse(Refusal::kControllersDown, c.system->name);
  }
  return std::nullopt;
}

}  // namespace

bool IsQuery(const OperationRequest& request) {
  return request.operation == "Get" || request.operation == "getproperties" ||
         request.operation == "getobjectlist" ||
         request.operation == "getsysteminfo" ||
         request.operation == "diskexercisesummary";
}

Answer Execute(Model& model, const OperationRequest& request) {
  if (request.dialect == Dialect::kV3 && !model.xmlInterface) {
    return Refuse(Refusal::kNoXmlInterface);
  }
  const Route* route = FindRoute(request);
  if (route == nullptr) {
    const std::string* type = FindProperty(
        request, request.dialect == Dialect::kV1 ? "Type" : "objecttype");
    return Refuse(Refusal::kUnsupportedOperation,
                  request.operation + (type != nullptr ? " " + *type : ""));
  }
  Context c{model, request};
  if (std::optional<Answer> refused = ResolveSystem(c, route->scope)) {
    return *refused;
  }
  Answer answer = route->handler(c);
  if (answer.status == 0 && !IsQuery(request) && c.system != nullptr) {
    RecordEvent(model, *c.system, "management", "0x0601", answer.message);
  }
  return answer;
}

Answer Done(std::string message, std::string_view id) {
  Answer answer;
  answer.message = std::move(message);
  if (!id.empty()) answer.items.push_back(Leaf("ID", std::string(id)));
  return answer;
}

std::optional<int> ParseNumber(std::string_view text, int low, int high) {
  int value = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() ||
      text.empty() || text.front() == '-' || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> NormaliseWwn(std::string_view text, size_t digits) {
  std::string hex;
  for (char c : text) {
    if (c == '-') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (hex.size() != digits) return std::nullopt;
  std::string grouped;
  for (size_t i = 0; i < hex.size(); i += 4) {
    if (!grouped.empty()) grouped += '-';
    grouped += hex.substr(i, 4);
  }
  return grouped;
}

std::optional<Answer> CheckNewName(std::string_view name, bool taken) {
  if (!IsValidName(name)) return Refuse(Refusal::kInvalidName, name);
  if (taken) return Refuse(Refusal::kNameInUse, name);
  return std::nullopt;
}

std::optional<Answer> ReadComment(const Context& c, std::string& comment,
                                  std::string_view key) {
  const std::string* value = Prop(c, key);
  if (value == nullptr) return std::nullopt;
  if (!IsValidComment(*value)) return Refuse(Refusal::kInvalidComment, *value);
  comment = *value;
  return std::nullopt;
}

bool NameTakenInFolder(const StorageSystem& system, std::string_view folderId,
                       std::string_view name, std::string_view exceptId) {
  auto clash = [&](const auto& objects, auto inFolder) {
    for (const auto& object : objects) {
      if (object.id != exceptId && inFolder(object) && object.name == name) {
        return true;
      }
    }
    return false;
  };
  auto byFolder = [&](const auto& object) {
    return object.folderId == folderId;
  };
  return clash(system.folders,
               [&](const Folder& f) { return f.parentId == folderId; }) ||
         clash(system.vdisks,
               [&](const Vdisk& v) {
                 return v.snapshotOf.empty() && v.folderId == folderId;
               }) ||
         clash(system.hosts, byFolder) || clash(system.groups, byFolder) ||
         clash(system.drGroups, byFolder);
}

Folder* FolderByPath(StorageSystem& system, std::string_view path) {
  for (Folder& folder : system.folders) {
    if (FolderPath(system, folder.id) == path) return &folder;
  }
  return nullptr;
}

std::optional<Answer> ChooseFolder(Context& c, std::string_view root,
                                   std::string& folderId) {
  const std::string* wanted = Prop(c, "FolderID");
  if (wanted == nullptr || wanted->empty()) {
    Folder* rootFolder = FindRootFolder(*c.system, root);
    if (rootFolder == nullptr) return Refuse(Refusal::kNoSuchObject, root);
    folderId = rootFolder->id;
    return std::nullopt;
  }
  if (FindFolder(*c.system, *wanted) == nullptr) {
    return Refuse(Refusal::kNoSuchObject, *wanted);
  }
  if (RootOf(*c.system, *wanted) != root) {
    return Refuse(Refusal::kWrongFolder, FolderPath(*c.system, *wanted));
  }
  folderId = *wanted;
  return std::nullopt;
}

}  // namespace sim
