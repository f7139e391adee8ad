#include "request/object_requests.h"

#include <cstdio>

#include "request/object_lookup.h"
#include "request/outcome.h"
#include "request/pending_properties.h"
#include "request/preconditions.h"
#include "request/request_envelope.h"
#include "request/response_parser.h"
#include "request/response_search.h"
#include "request/send_request.h"
#include "request/token_list.h"
#include "session/confirmation.h"
#include "shell/execute_line.h"

namespace request {
namespace {

using shell::CommandContext;

const char* objectType(ObjectKind kind) {
  return kind == kVdisks ? "virtualdisk" : "drmgroup";
}

void buildV1(CommandContext& context, const char* operation, ObjectKind kind,
             const char* id) {
  BeginV1Request(context, operation, elementType(kind));
  if (kind != kSystems) {
    PutProperty(context, "ElementID", context.session->systemId);
  }
  PutProperty(context, "ID", id);
  EmitV1Properties(context);
  EndV1Request(context);
}

int sendAndJudge(CommandContext& context) {
  if (SendRequest(context) != 0) return 1;
  if (ParseResponseText(context) != 0) return 1;
  return CheckOutcome(context);
}

// 0 when the deletion may go ahead: SAFE_DELETE refuses it with `refusal`;
// otherwise the user at the prompt must confirm `warning`, and other runs
// go ahead without a question.
int allowDestructiveDelete(const char* refusal, const char* warning) {
  if (shell::sessionOptions.safeDelete) {
    std::fputs(refusal, shell::errorStream());
    return 1;
  }
  if (shell::runMode == shell::RunMode::kInteractive &&
      !shell::confirmCommand(warning)) {
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
  shell::releaseTree(context.session->work.responseTree);
  return allowed;
}

}  // namespace

int FetchObjects(CommandContext& context, ObjectKind kind, const char* id) {
  int ready =
      kind == kSystems ? RequireManager(context) : RequireSystem(context);
  if (ready != 0) return 1;
  shell::WorkArea& work = context.session->work;
  shell::PendingProperty* commandProperties = work.pendingProperties;
  work.pendingProperties = nullptr;
  if ((kind == kVdisks || kind == kDrGroups) && id[0] != '\0') {
    BeginV32Request(context, "getproperties");
    PutProperty(context, "objecttype", objectType(kind));
    PutProperty(context, "objectid", id);
    PutProperty(context, "scellid", context.session->systemId);
    EmitV32Properties(context);
    EndV32Request(context);
  } else {
    buildV1(context, "Get", kind, id);
  }
  work.pendingProperties = commandProperties;
  if (SendRequest(context) != 0) return 1;
  if (ParseResponseText(context) != 0) return 1;
  return ReportNotSuccess(context);
}

int SetObjectProperties(CommandContext& context, ObjectKind kind) {
  const char* name = context.session->work.objectNameArg;
  if (name == nullptr) return shell::reportIncompleteCommand(context);
  const shell::ObjectToken* token = LookupObject(context, kind, name);
  if (token == nullptr) return 1;
  if (kind == kDrGroups) {
    BeginV32Request(context, "setproperties");
    PutProperty(context, "objectid", token->id);
    EmitV32Properties(context);
    EndV32Request(context);
  } else {
    buildV1(context, "Set", kind, token->id);
  }
  return sendAndJudge(context);
}

int DeleteObject(CommandContext& context, ObjectKind kind) {
  const char* name = context.session->work.objectNameArg;
  if (name == nullptr) return shell::reportIncompleteCommand(context);
  const shell::ObjectToken* token = LookupObject(context, kind, name);
  if (token == nullptr) return 1;
  if (kind == kSystems && checkSystemIsEmpty(context) != 0) return 1;
  if (kind == kVdisks && checkVdiskIsUnpresented(context, token->id) != 0) {
    return 1;
  }
  if (kind == kDrGroups) {
    BeginV32Request(context, "deleteobject");
    PutProperty(context, "objecttype", objectType(kind));
    PutProperty(context, "objectid", token->id);
    PutProperty(context, "scellid", context.session->systemId);
    EmitV32Properties(context);
    EndV32Request(context);
  } else {
    buildV1(context, "Delete", kind, token->id);
  }
  return sendAndJudge(context);
}

}  // namespace request
