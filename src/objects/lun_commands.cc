#include "objects/lun_commands.h"

#include <cstdio>

#include "objects/command_support.h"
#include "request/object_requests.h"
#include "session/work_area.h"

namespace objects {
namespace {

using shell::CommandContext;

int addLun(CommandContext& context) {
  const shell::WorkArea& work = context.session->work;
  if (work.hostNameArg == nullptr) {
    std::fputs("\nError: Host must be specified", shell::errorStream());
    return 1;
  }
  if (work.vdiskNameArg == nullptr) {
    std::fputs("\nError: Vdisk must be specified", shell::errorStream());
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

shell::ParseStatus installAddLun(CommandContext& context) {
  return install(context, addLun);
}

shell::ParseStatus installDeleteLun(CommandContext& context) {
  return install(context, deleteLun);
}

shell::ParseStatus recordLunNumber(CommandContext& context) {
  shell::copyToken(context, context.session->work.objectNameArg);
  request::PutPropertyN(context, "LUN", context.tokenStart,
                        context.tokenLength);
  return shell::ParseOk;
}

}  // namespace objects
