#include "request/known_names.h"

#include <cstring>

#include "request/object_kinds.h"

namespace request {
namespace {

// The keyword that decides which kind of object a value names: the last of
// these met on the way to the value (ADD LUN 5 HOST= names a host).
struct KindKeyword {
  const char* keyword;
  ObjectKind kind;
};

constexpr KindKeyword kKindKeywords[] = {
    {"SYSTEM", kSystems},       {"CELL", kSystems},
    {"DESTINATION_SYSTEM", kSystems},
    {"VDISK", kVdisks},         {"STORAGE", kVdisks},
    {"ADD_VDISK", kVdisks},     {"DELETE_VDISK", kVdisks},
    {"DETACH_VDISK", kVdisks},  {"HOST", kHosts},
    {"DISK_GROUP", kDiskGroups}, {"GROUP", kDiskGroups},
    {"FOLDER", kFolders},       {"DR_GROUP", kDrGroups},
    {"DISK", kDisks},           {"DELETE", kDisks},
    {"MONITOR", kMonitors},     {"POWER", kPower},
    {"RESTART", kPower},        {"SHUTDOWN", kPower},
    {"LUN", kLuns},
};

bool findKind(std::span<const language::CommandNode* const> path,
              ObjectKind& kind) {
  // ADD <kind> <name> creates the object: there is nothing to offer.
  if (path.size() == 2 && std::strcmp(path[0]->text, "ADD") == 0) return false;
  for (auto node = path.rbegin(); node != path.rend(); ++node) {
    if ((*node)->flags & language::NODE_VALUE) continue;
    for (const KindKeyword& entry : kKindKeywords) {
      if (std::strcmp((*node)->text, entry.keyword) == 0) {
        kind = entry.kind;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

language::NameSource knownObjectNames(const shell::SessionState& session) {
  return [&session](std::span<const language::CommandNode* const> path,
                    const language::CommandNode&,
                    std::vector<std::string>& names) {
    ObjectKind kind;
    if (!findKind(path, kind)) return;
    for (const shell::ObjectToken* token = session.tokenList; token != nullptr;
         token = token->next) {
      if (token->kind == kind) names.emplace_back(token->name);
    }
  };
}

}  // namespace request
