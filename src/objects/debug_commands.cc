#include "objects/debug_commands.h"

#include <cstring>

#include "client/emclient_api.h"
#include "session/confirmation.h"
#include "session/tracked_memory.h"
#include "session/version.h"
#include "session/work_area.h"

namespace objects {
namespace {

using session::CommandContext;

// The build this banner describes.
constexpr char kBuildDate[] = "Jul 12 2004";
constexpr char kBuildTime[] = "12:56:38";

int succeedQuietly(CommandContext&) { return 0; }

int reportDebugDebug(CommandContext&) {
  std::fputs("\nDEBUG: DEBUG DEBUG always successful", session::outputStream);
  return 0;
}

}  // namespace

session::ParseStatus installDebugNothing(CommandContext& context) {
  context.session->work.finalHandler = succeedQuietly;
  return session::ParseOk;
}

session::ParseStatus installDebugDebug(CommandContext& context) {
  context.session->work.finalHandler = reportDebugDebug;
  return session::ParseOk;
}

session::ParseStatus askAreYouSure(CommandContext&) {
  bool confirmed = session::confirmCommand(
      "\nThis is a test of the \"Are you sure\" capability of PELK");
  std::fputs(
      confirmed ? "\nA SUCCESS was returned" : "\nA FAILURE was returned",
      session::outputStream);
  return session::ParseOk;
}

session::ParseStatus setDumpFlag(CommandContext& context) {
  context.session->sessionFlags |= session::kDump;
  return session::ParseOk;
}

session::ParseStatus clearDumpFlag(CommandContext& context) {
  context.session->sessionFlags &= ~session::kDump;
  return session::ParseOk;
}

session::ParseStatus printInformation(CommandContext&) {
  std::fprintf(
      session::outputStream, "\n\nPELK Build %s for tarnwick %s on %s at %s\n",
      session::kBuildNumber, session::kProductVersion, kBuildDate, kBuildTime);
  std::fputs("DR support enabled\n", session::outputStream);
  EMClientAPITNGVersionRecord record = {};
  if (EMClientAPITNGGetVersion(&record) == 0) {
    std::fprintf(session::outputStream, "%s, Build date: %s\n", record.version,
                 record.buildDate);
  } else {
    std::fputs("EMClientAPI version unknown\n", session::outputStream);
  }
  return session::ParseOk;
}

session::ParseStatus setTallowFlags(CommandContext& context) {
  char*& flags = context.session->tallowFlags;
  session::copyToken(context, flags);
  if (flags[0] != '\0') {
    EMClientAPITNGSetDebugMode(std::strcmp(flags, "111") == 0 ? 2 : 1, nullptr);
  }
  return session::ParseOk;
}

}  // namespace objects
