#include "shell/known_names.h"

#include <cstring>

#include "request/name_fetch.h"
#include "request/name_values.h"
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

// ADD <kind> <name> and NAME= name a new object: there is nothing to offer.
bool namesNewObject(std::span<const language::CommandNode* const> path,
                    const language::CommandNode& valueNode) {
  return (path.size() == 2 && std::strcmp(path[0]->text, "ADD") == 0) ||
         valueNode.handler == recordNewName ||
         valueNode.handler == recordDrGroupNewName;
}

bool findKind(std::span<const language::CommandNode* const> path,
              ObjectKind& kind) {
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

language::NameSource knownObjectNames(shell::CommandContext& context,
                                      ListedNames& listed) {
  return [&context, &listed](std::span<const language::CommandNode* const> path,
                             const language::CommandNode& valueNode,
                             std::vector<std::string>& names) {
    ObjectKind kind;
    if (namesNewObject(path, valueNode) || !findKind(path, kind)) return;
    for (const shell::ObjectToken* token = context.session->tokenList;
         token != nullptr; token = token->next) {
      if (token->kind == kind) names.emplace_back(token->name);
    }
    // Never while a script runs: only a person at the prompt waits for it.
    if (shell::runMode != shell::RunMode::kInteractive) return;
    if (!listed.asked[kind]) {
      listed.asked[kind] = true;
      fetchObjectNames(context, kind, listed.names[kind]);
    }
    names.insert(names.end(), listed.names[kind].begin(),
                 listed.names[kind].end());
  };
}

}  // namespace request
