#include "objects/debug_commands.h"

#include <cstring>

#include "client/emclient_api.h"
#include "session/confirmation.h"
#include "session/tracked_memory.h"
#include "session/version.h"
#include "session/work_area.h"

namespace objects {
namespace {

using shell::CommandContext;

// The build this banner describes.
constexpr char kBuildDate[] = "Jul 12 2004";
constexpr char kBuildTime[] = "12:56:38";

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
  std::fputs(
      confirmed ? "\nA SUCCESS was returned" : "\nA FAILURE was returned",
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

shell::ParseStatus printInformation(CommandContext&) {
  std::fprintf(
      shell::outputStream, "\n\nPELK Build %s for tarnwick %s on %s at %s\n",
      shell::kBuildNumber, shell::kProductVersion, kBuildDate, kBuildTime);
  std::fputs("DR support enabled\n", shell::outputStream);
  EMClientAPITNGVersionRecord record = {};
  if (EMClientAPITNGGetVersion(&record) == 0) {
    std::fprintf(shell::outputStream, "%s, Build date: %s\n", record.version,
                 record.buildDate);
  } else {
    std::fputs("EMClientAPI version unknown\n", shell::outputStream);
  }
  return shell::ParseOk;
}

shell::ParseStatus setTallowFlags(CommandContext& context) {
  char*& flags = context.session->tallowFlags;
  shell::copyToken(context, flags);
  if (flags[0] != '\0') {
    EMClientAPITNGSetDebugMode(std::strcmp(flags, "111") == 0 ? 2 : 1, nullptr);
  }
  return shell::ParseOk;
}

}  // namespace objects
