#include "objects/debug_commands.h"

#include "shell/confirmation.h"

namespace objects {
namespace {

using shell::CommandContext;

int succeedQuietly(CommandContext&) { return 0; }

int reportDebugDebug(CommandContext&) {
  std::fputs("\nDEBUG: DEBUG DEBUG always successful", shell::outputStream);
  return 0;
}

}  // namespace

shell::ParseStatus installDebugNothing(CommandContext& context) {
  context.session->work.finalHandler = succeedQuietly;
  return shell::ParseOk;
}

shell::ParseStatus installDebugDebug(CommandContext& context) {
  context.session->work.finalHandler = reportDebugDebug;
  return shell::ParseOk;
}

shell::ParseStatus askAreYouSure(CommandContext&) {
  bool confirmed = shell::confirmCommand(
      "\nThis is a test of the \"Are you sure\" capability of PELK");
  std::fputs(confirmed ? "\nA SUCCESS was returned" : "\nA FAILURE was returned",
             shell::outputStream);
  return shell::ParseOk;
}

shell::ParseStatus setDumpFlag(CommandContext& context) {
  context.session->sessionFlags |= shell::kDump;
  return shell::ParseOk;
}

shell::ParseStatus clearDumpFlag(CommandContext& context) {
  context.session->sessionFlags &= ~shell::kDump;
  return shell::ParseOk;
}

}  // namespace objects
