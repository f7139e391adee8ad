#include "request/object_requests.h"

#include <cstdio>

#include "request/object_envelopes.h"
#include "request/object_lookup.h"
#include "request/outcome.h"
#include "request/pending_properties.h"
#include "request/request_envelope.h"
#include "request/response_search.h"
#include "request/token_list.h"
#include "session/confirmation.h"
#include "session/work_area.h"

namespace request {
namespace {

using session::CommandContext;

// 0 when the deletion may go ahead: SAFE_DELETE refuses it with `refusal`;
// otherwise the user at the prompt must confirm `warning`, and other runs
// go ahead without a question.
int allowDestructiveDelete(const char* refusal, const char* warning) {
  if (session::sessionOptions.safeDelete) {
    std::fputs(refusal, session::errorStream());
    return 1;
  }
  if (session::runMode == session::RunMode::kInteractive &&
      !session::confirmCommand(warning)) {
    return 1;
  }
  return 0;
}

int checkSystemIsEmpty(CommandContext& context) {
  if (RefreshTokenList(context, kVdisks) != 0) return 1;
  if (!HasTokenOfKind(context, kVdisks)) return 0;
  return allowDestructiveDelete(
      "\nError: Cannot delete system when Vdisks are still present.\n"
      "       Delete all storage on this cell first",
      "\nThis command will destroy all customer data and delete all "
      "configuration\ninformation (GROUPS, STORAGE, HOSTS and LUNs) on this "
      "cell!");
}

int checkVdiskIsUnpresented(CommandContext& context, const char* id) {
  if (FetchObjects(context, kVdisks, id) != 0) return 1;
  const char* lun =
      FindElementValue(context.session->work.responseTree, "Lun", 1);
  int allowed = 0;
  if (lun != nullptr && lun[0] != '\0') {
    allowed = allowDestructiveDelete(
        "\nError: Cannot delete Vdisks when LUNs are still present.\n"
        "       Delete all LUNS associated with this STORAGE first",
        "\nThis command will also delete all LUNs associated with this "
        "storage!");
  }
  session::releaseTree(context.session->work.responseTree);
  return allowed;
}

}  // namespace

int SetObjectProperties(CommandContext& context, ObjectKind kind) {
  const char* name = context.session->work.objectNameArg;
  if (name == nullptr) return session::reportIncompleteCommand(context);
  const session::ObjectToken* token = LookupObject(context, kind, name);
  if (token == nullptr) return 1;
  if (kind == kDrGroups) {
    BeginV32Request(context, "setproperties");
    PutProperty(context, "objectid", token->id);
    EmitV32Properties(context);
    EndV32Request(context);
  } else {
    BuildV1ObjectRequest(context, "Set", kind, token->id);
  }
  return SendAndJudge(context);
}

int DeleteObject(CommandContext& context, ObjectKind kind) {
  const char* name = context.session->work.objectNameArg;
  if (name == nullptr) return session::reportIncompleteCommand(context);
  const session::ObjectToken* token = LookupObject(context, kind, name);
  if (token == nullptr) return 1;
  if (kind == kSystems && checkSystemIsEmpty(context) != 0) return 1;
  if (kind == kVdisks && checkVdiskIsUnpresented(context, token->id) != 0) {
    return 1;
  }
  if (kind == kDrGroups) {
    BuildV32ObjectRequest(context, "deleteobject", kind, token->id);
  } else {
    BuildV1ObjectRequest(context, "Delete", kind, token->id);
  }
  return SendAndJudge(context);
}

}  // namespace request
