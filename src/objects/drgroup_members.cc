#include "objects/drgroup_members.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "request/object_lookup.h"
#include "request/object_requests.h"
#include "request/pending_properties.h"
#include "request/preconditions.h"
#include "request/response_search.h"
#include "request/token_list.h"
#include "session/tracked_memory.h"

namespace objects {
namespace {

using session::CommandContext;

// A copy of the first `tag` value of the fetched answer, which the next
// request replaces; nullptr after printing why when it is missing or
// empty.
char* copyRequiredToken(CommandContext& context, const char* tag) {
  const char* value = request::RequiredValue(
      request::FindElementValue(context.session->work.responseTree, tag, 1),
      tag);
  if (value == nullptr) return nullptr;
  return session::copyText(value, std::strlen(value), "quill_drm", __LINE__);
}

bool isMember(CommandContext& context, const char* vdisk) {
  const session::ResponseNode* tree = context.session->work.responseTree;
  for (int n = 1;; ++n) {
    const char* name = request::FindElementValue(tree, "objectname", n);
    if (name == nullptr) return false;
    if (strcasecmp(name, vdisk) == 0) return true;
  }
}

int addMember(CommandContext& context, const session::ObjectToken& group) {
  request::PutPropertyLast(context, "destdiskgroupid", kNoDiskGroupPlaceholder);
  request::PutPropertyLast(context, "addtogroupid", group.id);
  if (context.session->work.destinationGroupArg != nullptr) {
    if (request::FetchObjects(context, request::kDrGroups, group.id) != 0) {
      return 1;
    }
    char* remote = copyRequiredToken(context, "scellid");
    if (remote == nullptr) return 1;
    int result = putRemoteGroupId(context, remote);
    session::release(remote);
    if (result != 0) return 1;
  }
  if (request::RequireSystem(context) != 0) return 1;
  return request::SetObjectProperties(context, request::kVdisks);
}

int removeMember(CommandContext& context, const session::ObjectToken& group) {
  if (request::FetchObjects(context, request::kDrGroups, group.id) != 0) {
    return 1;
  }
  const char* vdisk = context.session->work.objectNameArg;
  if (!isMember(context, vdisk)) {
    std::fprintf(session::errorStream(), "\nError: %s not a member of %s",
                 vdisk, group.name);
    return 1;
  }
  if (request::RequireSystem(context) != 0) return 1;
  return request::SetObjectProperties(context, request::kVdisks);
}

}  // namespace

int putRemoteGroupId(CommandContext& context, const char* remoteSystemId) {
  session::SessionState& session = *context.session;
  char* selected = session.systemId;
  session.systemId = session::copyText(
      remoteSystemId, std::strlen(remoteSystemId), "quill_drm", __LINE__);
  const session::ObjectToken* group = request::LookupObject(
      context, request::kDiskGroups, session.work.destinationGroupArg);
  if (group != nullptr) {
    request::PutPropertyLast(context, "destdiskgroupid", group->id);
  }
  session::release(session.systemId);
  session.systemId = selected;
  request::RemoveTokensOfKind(context, request::kDiskGroups);
  return group != nullptr ? 0 : 1;
}

int changeMembership(CommandContext& context) {
  const session::ObjectToken* group = request::LookupObject(
      context, request::kDrGroups, context.session->work.vdiskNameArg);
  if (group == nullptr) return 1;
  if (context.session->work.addVdiskRequested) {
    return addMember(context, *group);
  }
  return removeMember(context, *group);
}

}  // namespace objects
