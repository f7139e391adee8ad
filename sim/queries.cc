// Get (list dialect), getproperties and getobjectlist.
#include "sim/details.h"
#include "sim/handlers.h"

namespace sim {
namespace {

Answer ListAnswer(const std::vector<ListedObject>& objects) {
  std::vector<Item> rows;
  for (const ListedObject& object : objects) {
    rows.push_back(Leaf("Name", object.name));
    rows.push_back(Leaf("ID", object.id));
  }
  Answer answer;
  answer.items.push_back(Array(2, std::move(rows)));
  return answer;
}

Answer DetailAnswer(std::optional<std::vector<Item>> items,
                    std::string_view id) {
  if (!items) return Refuse(Refusal::kNoSuchObject, id);
  Answer answer;
  answer.items = std::move(*items);
  return answer;
}

bool Unavailable(const StorageSystem& system) {
  if (system.controllers.empty()) return false;
  for (const Controller& controller : system.controllers) {
    if (controller.state != "shutdown") return false;
  }
  return true;
}

// The short form of an identifier that object lists carry beside it.
std::string HexUid(const std::string& id) {
  return id.size() > 16 ? id.substr(id.size() - 16) : id;
}

}  // namespace

Answer GetObjects(Context& c) {
  const std::string* type = Prop(c, "Type");
  if (type == nullptr) return Refuse(Refusal::kMissingProperty, "Type");
  const std::string* id = Prop(c, "ID");
  bool list = id == nullptr || id->empty();
  if (*type == "Element") {
    if (list) return ListAnswer(ListSystems(c.model));
    return DetailAnswer(SystemDetail(c.model, *id), *id);
  }
  const ObjectKind* kind = FindKindByElementType(*type);
  if (kind == nullptr) {
    return Refuse(Refusal::kUnsupportedOperation, "Get " + *type);
  }
  const std::string* systemId = Prop(c, "ElementID");
  if (systemId == nullptr || systemId->empty()) {
    return Refuse(Refusal::kMissingProperty, "ElementID");
  }
  c.system = FindSystem(c.model, *systemId);
  if (c.system == nullptr) return Refuse(Refusal::kNoSuchSystem, *systemId);
  // Only the controllers themselves answer while both are shut down.
  if (Unavailable(*c.system) && *type != "Power") {
    return Refuse(Refusal::kControllersDown, c.system->name);
  }
  if (list) return ListAnswer(kind->list(*c.system));
  return DetailAnswer(kind->detail(c.model, *c.system, *id), *id);
}

Answer GetProperties(Context& c) {
  const std::string* type = Prop(c, "objecttype");
  const std::string* id = Prop(c, "objectid");
  if (type == nullptr) return Refuse(Refusal::kMissingProperty, "objecttype");
  if (id == nullptr || id->empty()) {
    return Refuse(Refusal::kMissingProperty, "objectid");
  }
  const ObjectKind* kind = FindKindByObjectType(*type);
  if (kind == nullptr) {
    return Refuse(Refusal::kUnsupportedOperation, "getproperties " + *type);
  }
  return DetailAnswer(kind->detail(c.model, *c.system, *id), *id);
}

Answer GetObjectList(Context& c) {
  const std::string* type = Prop(c, "objecttype");
  if (type == nullptr) return Refuse(Refusal::kMissingProperty, "objecttype");
  const ObjectKind* kind = FindKindByObjectType(*type);
  if (kind == nullptr) {
    return Refuse(Refusal::kUnsupportedOperation, "getobjectlist " + *type);
  }
  Answer answer;
  for (const ListedObject& object : kind->list(*c.system)) {
    answer.items.push_back(Container(
        "object", {Leaf("objectid", object.id), Leaf("objectname", object.name),
                   Leaf("objecthexuid", HexUid(object.id))}));
  }
  return answer;
}

}  // namespace sim
