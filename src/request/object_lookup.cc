#include "request/object_lookup.h"

#include <cstdio>

#include "request/object_envelopes.h"
#include "request/outcome.h"
#include "request/preconditions.h"
#include "request/response_parser.h"
#include "request/send_request.h"
#include "request/token_list.h"

namespace request {

int FetchObjects(shell::CommandContext& context, ObjectKind kind,
                 const char* id) {
  int ready =
      kind == kSystems ? RequireManager(context) : RequireSystem(context);
  if (ready != 0) return 1;
  shell::WorkArea& work = context.session->work;
  shell::PendingProperty* commandProperties = work.pendingProperties;
  work.pendingProperties = nullptr;
  if ((kind == kVdisks || kind == kDrGroups) && id[0] != '\0') {
    BuildV32ObjectRequest(context, "getproperties", kind, id);
  } else {
    BuildV1ObjectRequest(context, "Get", kind, id);
  }
  work.pendingProperties = commandProperties;
  if (SendRequest(context) != 0) return 1;
  if (ParseResponseText(context) != 0) return 1;
  return ReportNotSuccess(context);
}

int RefreshTokenList(shell::CommandContext& context, ObjectKind kind) {
  if (FetchObjects(context, kind, "") != 0) return 1;
  if (LoadTokenList(context, kind) != 0) return 1;
  shell::releaseTree(context.session->work.responseTree);
  return 0;
}

shell::ObjectToken* LookupObject(shell::CommandContext& context,
                                 ObjectKind kind, const char* name) {
  if (RefreshTokenList(context, kind) != 0) return nullptr;
  shell::ObjectToken* token = FindToken(context, kind, name);
  if (token == nullptr) {
    std::fprintf(shell::errorStream(), "\nError: %s not found", name);
  }
  return token;
}

}  // namespace request
