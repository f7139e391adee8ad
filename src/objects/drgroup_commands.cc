#include "objects/drgroup_commands.h"

#include <cstdio>
#include <utility>

#include "objects/drgroup_members.h"
#include "request/name_checks.h"
#include "request/object_lookup.h"
#include "request/object_requests.h"
#include "request/outcome.h"
#include "request/preconditions.h"
#include "request/request_envelope.h"

namespace objects {
namespace {

using session::CommandContext;

// A new group at the top level, and a destination without a disk group.
constexpr char kTopLevelPlaceholder[] =
    "0808080808080808080808080808080808080808";

// The creation request in the order the server expects its elements.
constexpr FixedProperty kCreationTemplate[] = {
    {"scellid", ""},
    {"objectid", kTopLevelPlaceholder},
    {"objecttype", "drmgroup"},
    {"objectname", ""},
    {"destscellid", ""},
    {"virtualdiskid", ""},
    {"remotevirtualdiskname", ""},
    {"destdiskgroupid", kNoDiskGroupPlaceholder},
    {"drmmode", "source"},
    {"drcomments", ""},
};

constexpr FixedProperty kChangeAddressing[] = {
    {"scellid", ""},
    {"objectid", ""},
    {"objecttype", "drmgroup"},
};

template <std::size_t count>
void putAllLast(CommandContext& context,
                const FixedProperty (&properties)[count]) {
  for (const FixedProperty& property : properties) {
    request::PutPropertyLast(context, property.name, property.value);
  }
}

int requireArgument(const char* value, const char* keyword) {
  if (value != nullptr) return 0;
  std::fprintf(session::errorStream(), "\nError: %s must be specified",
               keyword);
  return 1;
}

int putIdLast(CommandContext& context, request::ObjectKind kind,
              const char* name, const char* property) {
  const session::ObjectToken* token =
      request::LookupObject(context, kind, name);
  if (token == nullptr) return 1;
  request::PutPropertyLast(context, property, token->id);
  return 0;
}

int addDrGroup(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  const session::WorkArea& work = context.session->work;
  if (work.folderPath != nullptr &&
      putIdLast(context, request::kFolders, work.folderPath, "objectid") != 0) {
    return 1;
  }
  if (requireArgument(work.vdiskNameArg, "VDISK") != 0 ||
      putIdLast(context, request::kVdisks, work.vdiskNameArg,
                "virtualdiskid") != 0) {
    return 1;
  }
  if (requireArgument(work.destinationSystemArg, "DESTINATION_SYSTEM") != 0) {
    return 1;
  }
  const session::ObjectToken* destination = request::LookupObject(
      context, request::kSystems, work.destinationSystemArg);
  if (destination == nullptr) return 1;
  request::PutPropertyLast(context, "destscellid", destination->id);
  if (work.destinationGroupArg != nullptr &&
      putRemoteGroupId(context, destination->id) != 0) {
    return 1;
  }
  request::BeginV32Request(context, "createobject");
  request::PutPropertyLast(context, "scellid", context.session->systemId);
  request::PutPropertyLast(context, "objecttype", "drmgroup");
  request::EmitV32Properties(context);
  request::EndV32Request(context);
  return request::SendAndJudge(context);
}

int changeDrGroup(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  session::WorkArea& work = context.session->work;
  request::PutPropertyLast(context, "scellid", context.session->systemId);
  if (work.vdiskNameArg == nullptr) {
    return request::SetObjectProperties(context, request::kDrGroups);
  }
  // The virtual disk is the object the request changes; the group is what
  // it joins or leaves.
  std::swap(work.objectNameArg, work.vdiskNameArg);
  return changeMembership(context);
}

int deleteDrGroup(CommandContext& context) {
  return request::DeleteObject(context, request::kDrGroups);
}

session::ParseStatus startMembershipChange(CommandContext& context,
                                           const char* removal) {
  session::releaseProperties(context.session->work.pendingProperties);
  if (removal != nullptr) {
    request::PutProperty(context, "removefromdrgroup", removal);
  }
  return session::ParseOk;
}

}  // namespace

session::ParseStatus installAddDrGroup(CommandContext& context) {
  putAllLast(context, kCreationTemplate);
  return install(context, addDrGroup);
}

session::ParseStatus installSetDrGroup(CommandContext& context) {
  putAllLast(context, kChangeAddressing);
  return install(context, changeDrGroup);
}

session::ParseStatus installDeleteDrGroup(CommandContext& context) {
  return install(context, deleteDrGroup);
}

session::ParseStatus recordDrGroupComment(CommandContext& context) {
  if (context.tokenLength > request::kCommentLimit) {
    std::fprintf(session::errorStream(),
                 "\nError: Comment too long, limit %u characters",
                 static_cast<unsigned>(request::kCommentLimit));
    return session::ParseFailed;
  }
  request::PutPropertyLastN(context, "drcomments", context.tokenStart,
                            context.tokenLength);
  if (request::ValidateText(context, context.tokenStart, context.tokenLength,
                            "comments") != 0) {
    return session::ParseFailed;
  }
  return session::ParseOk;
}

session::ParseStatus recordRemoteVdiskName(CommandContext& context) {
  request::PutPropertyLastN(context, "remotevirtualdiskname",
                            context.tokenStart, context.tokenLength);
  return session::ParseOk;
}

session::ParseStatus startAddMember(CommandContext& context) {
  context.session->work.addVdiskRequested = true;
  return startMembershipChange(context, nullptr);
}

session::ParseStatus startDeleteMember(CommandContext& context) {
  return startMembershipChange(context, "delete");
}

session::ParseStatus startDetachMember(CommandContext& context) {
  return startMembershipChange(context, "detach");
}

}  // namespace objects
