#include "shell/known_names.h"

#include <cstring>

#include "request/name_fetch.h"
#include "request/name_values.h"
#include "request/object_kinds.h"

namespace shell {

using session::CommandContext;
using session::ObjectToken;
using session::RunMode;
using session::runMode;
namespace {

// The keyword that decides which kind of object a value names: the last of
// these met on the way to the value (ADD LUN 5 HOST= names a host).
struct KindKeyword {
  const char* keyword;
  request::ObjectKind kind;
};

constexpr KindKeyword kKindKeywords[] = {
    {"SYSTEM", request::kSystems},
    {"CELL", request::kSystems},
    {"DESTINATION_SYSTEM", request::kSystems},
    {"VDISK", request::kVdisks},
    {"STORAGE", request::kVdisks},
    {"ADD_VDISK", request::kVdisks},
    {"DELETE_VDISK", request::kVdisks},
    {"DETACH_VDISK", request::kVdisks},
    {"HOST", request::kHosts},
    {"DISK_GROUP", request::kDiskGroups},
    {"GROUP", request::kDiskGroups},
    {"FOLDER", request::kFolders},
    {"DR_GROUP", request::kDrGroups},
    {"DISK", request::kDisks},
    {"DELETE", request::kDisks},
    {"MONITOR", request::kMonitors},
    {"POWER", request::kPower},
    {"RESTART", request::kPower},
    {"SHUTDOWN", request::kPower},
    {"LUN", request::kLuns},
};

// ADD <kind> <name> and NAME= name a new object: there is nothing to offer.
bool namesNewObject(std::span<const language::CommandNode* const> path,
                    const language::CommandNode& valueNode) {
  return (path.size() == 2 && std::strcmp(path[0]->text, "ADD") == 0) ||
         valueNode.handler == request::recordNewName ||
         valueNode.handler == request::recordDrGroupNewName;
}

bool findKind(std::span<const language::CommandNode* const> path,
              request::ObjectKind& kind) {
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

language::NameSource knownObjectNames(CommandContext& context,
                                      ListedNames& listed) {
  return [&context, &listed](std::span<const language::CommandNode* const> path,
                             const language::CommandNode& valueNode,
                             std::vector<std::string>& names) {
    request::ObjectKind kind;
    if (namesNewObject(path, valueNode) || !findKind(path, kind)) return;
    for (const ObjectToken* token = context.session->tokenList;
         token != nullptr; token = token->next) {
      if (token->kind == kind) names.emplace_back(token->name);
    }
    // Never while a script runs: only a person at the prompt waits for it.
    if (runMode != RunMode::kInteractive) return;
    if (!listed.asked[kind]) {
      listed.asked[kind] = true;
      request::fetchObjectNames(context, kind, listed.names[kind]);
    }
    names.insert(names.end(), listed.names[kind].begin(),
                 listed.names[kind].end());
  };
}

}  // namespace shell
