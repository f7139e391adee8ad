#include "objects/diagnostic_commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "client/emclient_api.h"
#include "objects/command_support.h"
#include "platform/interruption.h"
#include "request/manager_address.h"
#include "request/preconditions.h"
#include "session/result_recorder.h"
#include "session/shown_text.h"
#include "session/work_area.h"

namespace objects {
namespace {

using session::CommandContext;

constexpr int kErrorTextSize = 2048;

// The library picks the port itself, so it gets the manager's host alone
// (an IPv6 address in its brackets).
char* managerHost(const session::SessionState& session) {
  std::string_view host = request::managerHost(session.managerAddress);
  return session::copyText(host.data(), host.size(), "quill_manager", __LINE__);
}

// An interruption is reported once by the shell, not as the library's
// failure.
int reportLibraryResult(int code) {
  if (code == 0) return 0;
  if (platform::interrupted()) return 1;
  char text[kErrorTextSize] = {};
  EMClientAPITNGGetErrorText(code, text, kErrorTextSize);
  std::fprintf(session::errorStream(), "\nError: %s", text);
  return 1;
}

// A status message in an exercise answer is the server refusing the
// operation: it is printed as an error and the command fails.
int reportExerciseResult(int code, char* message) {
  bool refused = message != nullptr;
  if (refused) {
    std::fprintf(session::errorStream(), "\nError: %s",
                 session::shownText(message).c_str());
    std::free(message);
  }
  int failed = reportLibraryResult(code);
  return refused ? 1 : failed;
}

int emVersion(CommandContext& context) {
  if (request::RequireManager(context) != 0) return 1;
  const session::SessionState& session = *context.session;
  char* host = managerHost(session);
  char version[EMCLIENTAPI_TEXT_FIELD_SIZE] = {};
  char build[EMCLIENTAPI_TEXT_FIELD_SIZE] = {};
  int code = EMClientAPITNGGetSystemInfo(host, session.userName,
                                         session.password, version, build);
  session::release(host);
  if (code != 0) return reportLibraryResult(code);
  std::fprintf(session::outputStream,
               "\nElement manager information (at %s)\n  Version: %s\n  "
               "Build: %s",
               session.managerAddress, session::shownText(version).c_str(),
               session::shownText(build).c_str());
  if (session::recordingResults()) {
    session::setResult(session::ResultKind::kElementManager,
                       {{"address", session.managerAddress},
                        {"version", version},
                        {"build", build}});
  }
  return 0;
}

int rediscover(CommandContext& context) {
  if (request::RequireManager(context) != 0) return 1;
  const session::SessionState& session = *context.session;
  char* host = managerHost(session);
  int code = EMClientAPITNGDiscoverStorageCell(host, session.userName,
                                               session.password);
  session::release(host);
  return reportLibraryResult(code);
}

// objectNameArg holds the disk list; START ALL leaves it empty.
int startExercise(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  const session::SessionState& session = *context.session;
  const char* disks = session.work.objectNameArg;
  char* host = managerHost(session);
  char* message = nullptr;
  int code = EMClientAPITNGStartDiskExercise(
      host, session.userName, session.password, disks != nullptr ? disks : "",
      session.systemId, &message);
  session::release(host);
  return reportExerciseResult(code, message);
}

int stopExercise(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  const session::SessionState& session = *context.session;
  char* host = managerHost(session);
  char* message = nullptr;
  int code = EMClientAPITNGStopDiskExercise(
      host, session.userName, session.password, session.systemId, &message);
  session::release(host);
  return reportExerciseResult(code, message);
}

int exerciseSummary(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  const session::SessionState& session = *context.session;
  char* host = managerHost(session);
  char* summary = nullptr;
  int code = EMClientAPITNGDiskExerciseSummary(
      host, session.userName, session.password, session.systemId, &summary);
  session::release(host);
  if (summary != nullptr) {
    std::fprintf(session::outputStream, "\n%s",
                 session::shownText(summary).c_str());
    session::setResult(session::ResultKind::kSummary, summary);
    std::free(summary);
  }
  return reportLibraryResult(code);
}

int refuseEmptyDiskList(CommandContext&) {
  std::fputs(
      "\nError: No disk named in the list (EXERCISE_DISK START ALL exercises "
      "every disk)",
      session::errorStream());
  return 1;
}

}  // namespace

session::ParseStatus installEmVersion(CommandContext& context) {
  return install(context, emVersion);
}

session::ParseStatus installRediscover(CommandContext& context) {
  return install(context, rediscover);
}

session::ParseStatus startListedDisks(CommandContext& context) {
  session::copyToken(context, context.session->work.objectNameArg);
  const char* list = context.session->work.objectNameArg;
  bool named = list[std::strspn(list, ", ")] != '\0';
  return install(context, named ? startExercise : refuseEmptyDiskList);
}

session::ParseStatus startAllDisks(CommandContext& context) {
  return install(context, startExercise);
}

session::ParseStatus installStopExercise(CommandContext& context) {
  return install(context, stopExercise);
}

session::ParseStatus installExerciseSummary(CommandContext& context) {
  return install(context, exerciseSummary);
}

}  // namespace objects
