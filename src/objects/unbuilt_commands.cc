#include "objects/unbuilt_commands.h"

#include "request/preconditions.h"

namespace objects {
namespace {

int refuseUnbuiltCommand(shell::CommandContext& context) {
  if (request::RequireManager(context) != 0) return 1;
  std::fputs("\nError: Command not available in this build",
             shell::outputStream);
  return 1;
}

}  // namespace

shell::ParseStatus installUnbuiltCommand(shell::CommandContext& context) {
  context.session->work.finalHandler = refuseUnbuiltCommand;
  return shell::ParseOk;
}

}  // namespace objects
