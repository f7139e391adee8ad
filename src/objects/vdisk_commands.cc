#include "objects/vdisk_commands.h"

#include <cstdio>

#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using shell::CommandContext;

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

shell::ParseStatus installAddVdisk(CommandContext& context) {
  putFixed<kCreationWait>(context);
  return install(context, addVdisk);
}

shell::ParseStatus installSetVdisk(CommandContext& context) {
  return install(context, setVdisk);
}

shell::ParseStatus installDeleteVdisk(CommandContext& context) {
  putFixed<kDeletionNoWait>(context);
  return install(context, deleteVdisk);
}

shell::ParseStatus recordSize(CommandContext& context) {
  if (context.number < kMinSizeGb) {
    std::fprintf(shell::errorStream(), "\nError: Minumum size in GB is %d",
                 static_cast<int>(kMinSizeGb));
    return shell::ParseFailed;
  }
  if (context.number > kMaxSizeGb) {
    std::fprintf(shell::errorStream(), "\nError: Maximum size in GB is %d",
                 static_cast<int>(kMaxSizeGb));
    return shell::ParseFailed;
  }
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(context.number));
  request::PutProperty(context, "Size", digits);
  return shell::ParseOk;
}

shell::ParseStatus recordLunWorldWideName(CommandContext& context) {
  request::AddPropertyN(context, "lunwwn", context.tokenStart,
                        context.tokenLength);
  return shell::ParseOk;
}

}  // namespace objects
