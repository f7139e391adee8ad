// What the manager reports about each kind of object: the rows of a list
// (name and identifier) and the items of one object's details.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/answer.h"
#include "sim/model.h"

namespace sim {

struct ListedObject {
  std::string name;
  std::string id;
};

struct ObjectKind {
  const char* elementType;  // Type of the list dialect
  const char* objectType;   // objecttype of the XML interface, or nullptr
  std::vector<ListedObject> (*list)(const StorageSystem& system);
  // The details of the object `id`, or nothing when it does not exist.
  std::optional<std::vector<Item>> (*detail)(const Model& model,
                                             const StorageSystem& system,
                                             std::string_view id);
};

// The kinds of objects on a system (systems themselves are not among them).
const ObjectKind* FindKindByElementType(std::string_view elementType);
const ObjectKind* FindKindByObjectType(std::string_view objectType);

std::vector<ListedObject> ListSystems(const Model& model);
std::optional<std::vector<Item>> SystemDetail(const Model& model,
                                              std::string_view id);

// "10 GB", "95 %": the manager's way of writing quantities.
std::string Gigabytes(int value);
// The simulated clock as "2026-01-01 00:00:07" (UTC).
std::string ClockText(int64_t seconds);

}  // namespace sim
