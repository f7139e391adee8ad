#include "objects/group_commands.h"

#include <cstdio>

#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using shell::CommandContext;

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

shell::ParseStatus installAddGroup(CommandContext& context) {
  return install(context, addGroup);
}

shell::ParseStatus installSetGroup(CommandContext& context) {
  return install(context, setGroup);
}

shell::ParseStatus installDeleteGroup(CommandContext& context) {
  return install(context, deleteGroup);
}

shell::ParseStatus installSetDisk(CommandContext& context) {
  return install(context, setDisk);
}

shell::ParseStatus recordOccupancyAlarm(CommandContext& context) {
  if (context.number < kMinOccupancyAlarm ||
      context.number > kMaxOccupancyAlarm) {
    std::fputs("\nError: Occupancy alarm level must be 1 to 100 inclusive",
               shell::errorStream());
    return shell::ParseFailed;
  }
  putNumber(context, "occupancyalarmlevel");
  return shell::ParseOk;
}

shell::ParseStatus recordAddDiskCount(CommandContext& context) {
  putNumber(context, "AddDiskCount");
  return shell::ParseOk;
}

}  // namespace objects
