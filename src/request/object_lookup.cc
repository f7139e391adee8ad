#include "request/object_lookup.h"

#include <cstdio>

#include "request/object_envelopes.h"
#include "request/outcome.h"
#include "request/preconditions.h"
#include "request/response_parser.h"
#include "request/send_request.h"
#include "request/token_list.h"

namespace request {

int FetchObjects(session::CommandContext& context, ObjectKind kind,
                 const char* id) {
  int ready =
      kind == kSystems ? RequireManager(context) : RequireSystem(context);
  if (ready != 0) return 1;
  session::WorkArea& work = context.session->work;
  session::PendingProperty* commandProperties = work.pendingProperties;
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

int RefreshTokenList(session::CommandContext& context, ObjectKind kind) {
  if (FetchObjects(context, kind, "") != 0) return 1;
  if (LoadTokenList(context, kind) != 0) return 1;
  session::releaseTree(context.session->work.responseTree);
  return 0;
}

session::ObjectToken* LookupObject(session::CommandContext& context,
                                   ObjectKind kind, const char* name) {
  if (RefreshTokenList(context, kind) != 0) return nullptr;
  session::ObjectToken* token = FindToken(context, kind, name);
  if (token == nullptr) {
    std::fprintf(session::errorStream(), "\nError: %s not found", name);
  }
  return token;
}

}  // namespace request
