#include "request/object_lookup.h"

#include <cstdio>

#include "request/object_requests.h"
#include "request/token_list.h"

namespace request {

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
