#include "objects/select_system.h"

#include <cstring>

#include "request/object_lookup.h"
#include "shell/tracked_memory.h"

namespace objects {
namespace {

char* copyOf(const char* text) {
  return shell::copyText(text, std::strlen(text), "quill_cell", __LINE__);
}

int selectSystem(shell::CommandContext& context) {
  shell::SessionState& session = *context.session;
  const shell::ObjectToken* token = request::LookupObject(
      context, request::kSystems, session.work.objectNameArg);
  if (token == nullptr) return 1;
  shell::release(session.systemName);
  shell::release(session.systemId);
  session.systemName = copyOf(session.work.objectNameArg);
  session.systemId = copyOf(token->id);
  return 0;
}

}  // namespace

shell::ParseStatus installSelectSystem(shell::CommandContext& context) {
  shell::copyToken(context, context.session->work.objectNameArg);
  context.session->work.finalHandler = selectSystem;
  return shell::ParseOk;
}

}  // namespace objects
