#include "objects/folder_commands.h"

#include <cstdio>

#include "objects/command_support.h"
#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using session::CommandContext;

// The two root folders exist on every system; a new folder always goes
// into an existing one, whose identifier the request carries as "ID".
int addFolder(CommandContext& context) {
  const char* parent = context.session->work.folderPath;
  if (parent == nullptr) {
    std::fputs("\nError: Root folders cannot be created",
               session::errorStream());
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

session::ParseStatus installAddFolder(CommandContext& context) {
  return install(context, addFolder);
}

session::ParseStatus installSetFolder(CommandContext& context) {
  return install(context, setFolder);
}

session::ParseStatus installDeleteFolder(CommandContext& context) {
  return install(context, deleteFolder);
}

}  // namespace objects
