#include "objects/system_commands.h"

#include <cstdio>
#include <cstring>

#include "request/name_checks.h"
#include "request/object_lookup.h"
#include "request/object_requests.h"
#include "request/outcome.h"
#include "request/preconditions.h"
#include "request/request_envelope.h"
#include "request/token_list.h"
#include "session/work_area.h"

namespace objects {
namespace {

using session::CommandContext;
using session::SessionState;

void deselectSystem(SessionState& session) {
  session::release(session.systemName);
  session::release(session.systemId);
  session.systemName = nullptr;
  session.systemId = nullptr;
}

bool succeeded(const SessionState& session) {
  return (session.work.resultFlags & session::kServerSuccess) != 0;
}

// A failed selection leaves no system selected: the commands after a
// mistyped name must not act on the system selected before it.
int selectSystemAction(CommandContext& context) {
  SessionState& session = *context.session;
  const session::ObjectToken* token = request::LookupObject(
      context, request::kSystems, session.work.objectNameArg);
  if (token == nullptr) {
    deselectSystem(session);
    return 1;
  }
  replaceText(session.systemName, session.work.objectNameArg, "quill_cell",
              __LINE__);
  replaceText(session.systemId, token->id, "quill_cell", __LINE__);
  return 0;
}

// The array being initialized is the selected one; afterwards it carries
// the new name and has to be selected again under it.
int addSystem(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  SessionState& session = *context.session;
  request::BeginV1Request(context, "Create", "Element");
  request::PutProperty(context, "ID", session.systemId);
  request::EmitV1Properties(context);
  request::EndV1Request(context);
  int result = request::SendAndJudge(context);
  if (result == 0 && succeeded(session)) deselectSystem(session);
  return result;
}

// The selection follows a rename of the selected system, but only one the
// server accepted: after a refusal the old name is still the valid one.
int setSystem(CommandContext& context) {
  if (request::SetObjectProperties(context, request::kSystems) != 0) return 1;
  SessionState& session = *context.session;
  const session::WorkArea& work = session.work;
  if (succeeded(session) && session.systemName != nullptr &&
      work.newNameArg != nullptr &&
      std::strcmp(work.objectNameArg, session.systemName) == 0) {
    replaceText(session.systemName, work.newNameArg, "quill_cell", __LINE__);
    request::RemoveTokensOfKind(context, request::kSystems);
  }
  return 0;
}

int deleteSystem(CommandContext& context) {
  SessionState& session = *context.session;
  const char* name = session.work.objectNameArg;
  if (name == nullptr) return session::reportIncompleteCommand(context);
  if (session.systemName == nullptr ||
      std::strcmp(name, session.systemName) != 0) {
    std::fputs("\nError: Only the selected system may be deleted",
               session::errorStream());
    return 1;
  }
  int result = request::DeleteObject(context, request::kSystems);
  if (result == 0 && succeeded(session)) {
    deselectSystem(session);
    request::RemoveTokensOfKind(context, request::kSystems);
  }
  return result;
}

}  // namespace

session::ParseStatus selectSystem(CommandContext& context) {
  session::copyToken(context, context.session->work.objectNameArg);
  return install(context, selectSystemAction);
}

session::ParseStatus installAddSystem(CommandContext& context) {
  return install(context, addSystem);
}

session::ParseStatus recordSystemName(CommandContext& context) {
  session::copyToken(context, context.session->work.objectNameArg);
  request::PutPropertyN(context, "Name", context.tokenStart,
                        context.tokenLength);
  if (request::ValidateName(context, context.tokenStart, context.tokenLength) !=
      0) {
    return session::ParseFailed;
  }
  return session::ParseOk;
}

session::ParseStatus recordDeviceCount(CommandContext& context) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%u",
                static_cast<unsigned>(context.number));
  request::PutProperty(context, "DeviceCount", digits);
  return session::ParseOk;
}

session::ParseStatus installSetSystem(CommandContext& context) {
  return install(context, setSystem);
}

session::ParseStatus installDeleteSystem(CommandContext& context) {
  return install(context, deleteSystem);
}

}  // namespace objects
