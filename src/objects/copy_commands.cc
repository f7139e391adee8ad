#include "objects/copy_commands.h"

#include "objects/vdisk_commands.h"
#include "request/object_lookup.h"
#include "request/outcome.h"
#include "request/preconditions.h"
#include "request/request_envelope.h"
#include "session/work_area.h"

namespace objects {
namespace {

using session::CommandContext;

int copyVdisk(CommandContext& context, const char* copyType) {
  const session::WorkArea& work = context.session->work;
  if (work.objectNameArg == nullptr || work.sourceVdiskArg == nullptr) {
    return session::reportIncompleteCommand(context);
  }
  if (request::RequireSystem(context) != 0) return 1;
  if (putFolderId(context) != 0) return 1;
  if (work.diskGroupArg != nullptr &&
      putObjectId(context, request::kDiskGroups, work.diskGroupArg,
                  "GroupID") != 0) {
    return 1;
  }
  const session::ObjectToken* source =
      request::LookupObject(context, request::kVdisks, work.sourceVdiskArg);
  if (source == nullptr) return 1;
  request::BeginV1Request(context, "Copy", copyType);
  request::PutProperty(context, "ElementID", context.session->systemId);
  request::PutProperty(context, "StorageID", source->id);
  request::EmitV1Properties(context);
  request::EndV1Request(context);
  return request::SendAndJudge(context);
}

int addSnapshot(CommandContext& context) {
  return copyVdisk(context, "Snapshot");
}

int addCopy(CommandContext& context) { return copyVdisk(context, "Clone"); }

}  // namespace

session::ParseStatus installAddSnapshot(CommandContext& context) {
  return install(context, addSnapshot);
}

session::ParseStatus installAddCopy(CommandContext& context) {
  putFixed<kCreationNoWait>(context);
  return install(context, addCopy);
}

}  // namespace objects
