#include "objects/folder_commands.h"

#include <cstdio>

#include "objects/command_support.h"
#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using shell::CommandContext;

// The two root folders exist on every system; a new folder always goes
// into an existing one, whose identifier the request carries as "ID".
int addFolder(CommandContext& context) {
  const char* parent = context.session->work.folderPath;
  if (parent == nullptr) {
    std::fputs("\nError: Root folders cannot be created", shell::errorStream());
    return 1;
  }
  if (request::RequireSystem(context) != 0) return 1;
  if (putObjectId(context, request::kFolders, parent, "ID") != 0) return 1;
  return sendCreate(context, "Folder");
}

int setFolder(CommandContext& context) {
  return request::SetObjectProperties(context, request::kFolders);
}

int deleteFolder(CommandContext& context) {
  return request::DeleteObject(context, request::kFolders);
}

}  // namespace

shell::ParseStatus installAddFolder(CommandContext& context) {
  return install(context, addFolder);
}

shell::ParseStatus installSetFolder(CommandContext& context) {
  return install(context, setFolder);
}

shell::ParseStatus installDeleteFolder(CommandContext& context) {
  return install(context, deleteFolder);
}

}  // namespace objects
