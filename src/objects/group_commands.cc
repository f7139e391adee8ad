#include "objects/group_commands.h"

#include <cstdio>

#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using session::CommandContext;

constexpr uint32_t kMinOccupancyAlarm = 1;
constexpr uint32_t kMaxOccupancyAlarm = 100;

void putNumber(CommandContext& context, const char* name) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%u",
                static_cast<unsigned>(context.number));
  request::PutProperty(context, name, digits);
}

int addGroup(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  if (putFolderId(context) != 0) return 1;
  return sendCreate(context, "DiskGroup");
}

int setGroup(CommandContext& context) {
  const char* disk = context.session->work.deleteDiskArg;
  if (disk != nullptr &&
      putObjectId(context, request::kDisks, disk, "DeleteDiskID") != 0) {
    return 1;
  }
  return request::SetObjectProperties(context, request::kDiskGroups);
}

int deleteGroup(CommandContext& context) {
  return request::DeleteObject(context, request::kDiskGroups);
}

int setDisk(CommandContext& context) {
  return request::SetObjectProperties(context, request::kDisks);
}

}  // namespace

session::ParseStatus installAddGroup(CommandContext& context) {
  return install(context, addGroup);
}

session::ParseStatus installSetGroup(CommandContext& context) {
  return install(context, setGroup);
}

session::ParseStatus installDeleteGroup(CommandContext& context) {
  return install(context, deleteGroup);
}

session::ParseStatus installSetDisk(CommandContext& context) {
  return install(context, setDisk);
}

session::ParseStatus recordOccupancyAlarm(CommandContext& context) {
  if (context.number < kMinOccupancyAlarm ||
      context.number > kMaxOccupancyAlarm) {
    std::fputs("\nError: Occupancy alarm level must be 1 to 100 inclusive",
               session::errorStream());
    return session::ParseFailed;
  }
  putNumber(context, "occupancyalarmlevel");
  return session::ParseOk;
}

session::ParseStatus recordAddDiskCount(CommandContext& context) {
  putNumber(context, "AddDiskCount");
  return session::ParseOk;
}

}  // namespace objects
