#include "objects/command_support.h"

#include <cstring>

#include "request/object_lookup.h"
#include "request/outcome.h"
#include "request/request_envelope.h"

namespace objects {

session::ParseStatus install(session::CommandContext& context,
                             session::FinalHandler action) {
  context.session->work.finalHandler = action;
  return session::ParseOk;
}

int putObjectId(session::CommandContext& context, request::ObjectKind kind,
                const char* name, const char* property) {
  const session::ObjectToken* token =
      request::LookupObject(context, kind, name);
  if (token == nullptr) return 1;
  request::PutProperty(context, property, token->id);
  return 0;
}

int putFolderId(session::CommandContext& context) {
  const char* folder = context.session->work.folderPath;
  if (folder == nullptr) return 0;
  return putObjectId(context, request::kFolders, folder, "FolderID");
}

int sendCreate(session::CommandContext& context, const char* elementType) {
  request::BeginV1Request(context, "Create", elementType);
  request::PutProperty(context, "ElementID", context.session->systemId);
  request::EmitV1Properties(context);
  request::EndV1Request(context);
  return request::SendAndJudge(context);
}

void replaceText(char*& slot, const char* text, const char* module, int line) {
  char* copy = session::copyText(text, std::strlen(text), module, line);
  session::release(slot);
  slot = copy;
}

}  // namespace objects
