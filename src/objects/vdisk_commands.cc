#include "objects/vdisk_commands.h"

#include <cstdio>

#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using session::CommandContext;

constexpr uint32_t kMinSizeGb = 1;
constexpr uint32_t kMaxSizeGb = 65535;

int addVdisk(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  if (putFolderId(context) != 0) return 1;
  const char* group = context.session->work.diskGroupArg;
  if (group != nullptr &&
      putObjectId(context, request::kDiskGroups, group, "GroupID") != 0) {
    return 1;
  }
  return sendCreate(context, "Storage");
}

int setVdisk(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  return request::SetObjectProperties(context, request::kVdisks);
}

int deleteVdisk(CommandContext& context) {
  return request::DeleteObject(context, request::kVdisks);
}

}  // namespace

session::ParseStatus installAddVdisk(CommandContext& context) {
  putFixed<kCreationWait>(context);
  return install(context, addVdisk);
}

session::ParseStatus installSetVdisk(CommandContext& context) {
  return install(context, setVdisk);
}

session::ParseStatus installDeleteVdisk(CommandContext& context) {
  putFixed<kDeletionNoWait>(context);
  return install(context, deleteVdisk);
}

session::ParseStatus recordSize(CommandContext& context) {
  if (context.number < kMinSizeGb) {
    std::fprintf(session::errorStream(), "\nError: Minumum size in GB is %d",
                 static_cast<int>(kMinSizeGb));
    return session::ParseFailed;
  }
  if (context.number > kMaxSizeGb) {
    std::fprintf(session::errorStream(), "\nError: Maximum size in GB is %d",
                 static_cast<int>(kMaxSizeGb));
    return session::ParseFailed;
  }
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(context.number));
  request::PutProperty(context, "Size", digits);
  return session::ParseOk;
}

session::ParseStatus recordLunWorldWideName(CommandContext& context) {
  request::AddPropertyN(context, "lunwwn", context.tokenStart,
                        context.tokenLength);
  return session::ParseOk;
}

}  // namespace objects
