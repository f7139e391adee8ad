#include "objects/lun_commands.h"

#include <cstdio>

#include "objects/command_support.h"
#include "request/object_requests.h"
#include "session/work_area.h"

namespace objects {
namespace {

using session::CommandContext;

int addLun(CommandContext& context) {
  const session::WorkArea& work = context.session->work;
  if (work.hostNameArg == nullptr) {
    std::fputs("\nError: Host must be specified", session::errorStream());
    return 1;
  }
  if (work.vdiskNameArg == nullptr) {
    std::fputs("\nError: Vdisk must be specified", session::errorStream());
    return 1;
  }
  if (putObjectId(context, request::kHosts, work.hostNameArg,
                  "StorageClientID") != 0 ||
      putObjectId(context, request::kVdisks, work.vdiskNameArg, "StorageID") !=
          0) {
    return 1;
  }
  return sendCreate(context, "PresentedUnit");
}

int deleteLun(CommandContext& context) {
  return request::DeleteObject(context, request::kLuns);
}

}  // namespace

session::ParseStatus installAddLun(CommandContext& context) {
  return install(context, addLun);
}

session::ParseStatus installDeleteLun(CommandContext& context) {
  return install(context, deleteLun);
}

session::ParseStatus recordLunNumber(CommandContext& context) {
  session::copyToken(context, context.session->work.objectNameArg);
  request::PutPropertyN(context, "LUN", context.tokenStart,
                        context.tokenLength);
  return session::ParseOk;
}

}  // namespace objects
