#include "request/name_values.h"

#include <cstdio>
#include <cstring>

#include "request/name_checks.h"
#include "request/pending_properties.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

namespace request {
namespace {

using session::CommandContext;
using session::ParseStatus;

constexpr uint32_t kMaxUnitId = 32767;

ParseStatus result(int checked) {
  return checked == 0 ? session::ParseOk : session::ParseFailed;
}

char* copySlice(const char* text, std::size_t length) {
  return session::copyText(text, length, "quill_support", __LINE__);
}

ParseStatus splitPath(CommandContext& context, const char* property) {
  session::WorkArea& work = context.session->work;
  const char* token = context.tokenStart;
  std::size_t length = context.tokenLength;
  const char* slash = nullptr;
  for (std::size_t i = 0; i < length; ++i) {
    if (token[i] == '\\') slash = token + i;
  }
  const char* name = token;
  if (slash != nullptr) {
    if (slash > token) {
      session::release(work.folderPath);
      work.folderPath =
          copySlice(token, static_cast<std::size_t>(slash - token) + 1);
    }
    name = slash + 1;
  }
  std::size_t nameLength = length - static_cast<std::size_t>(name - token);
  session::release(work.objectNameArg);
  work.objectNameArg = copySlice(name, nameLength);
  PutPropertyN(context, property, name, nameLength);
  return result(ValidateName(context, name, nameLength));
}

ParseStatus recordRename(CommandContext& context, bool drGroup) {
  const char* token = context.tokenStart;
  std::size_t length = context.tokenLength;
  if (std::memchr(token, '\\', length) != nullptr) {
    std::fputs("\nError: Cannot specify directory or \\ACTIVE on the new name",
               session::errorStream());
    return session::ParseFailed;
  }
  if (drGroup) {
    PutPropertyLastN(context, "objectname", token, length);
  } else {
    PutPropertyN(context, "Name", token, length);
  }
  session::copyToken(context, context.session->work.newNameArg);
  return result(ValidateName(context, token, length));
}

}  // namespace

ParseStatus recordObjectName(CommandContext& context) {
  session::copyToken(context, context.session->work.objectNameArg);
  return session::ParseOk;
}

ParseStatus recordNewObjectName(CommandContext& context) {
  return splitPath(context, "Name");
}

ParseStatus recordNewDrGroupName(CommandContext& context) {
  return splitPath(context, "objectname");
}

ParseStatus recordNewName(CommandContext& context) {
  return recordRename(context, false);
}

ParseStatus recordDrGroupNewName(CommandContext& context) {
  return recordRename(context, true);
}

ParseStatus recordComment(CommandContext& context) {
  if (context.tokenLength > kCommentLimit) {
    std::fprintf(session::errorStream(),
                 "\nError: Comment too long, limit %u characters",
                 static_cast<unsigned>(kCommentLimit));
    return session::ParseFailed;
  }
  PutPropertyN(context, "comments", context.tokenStart, context.tokenLength);
  return result(ValidateText(context, context.tokenStart, context.tokenLength,
                             "comment"));
}

ParseStatus recordUnitId(CommandContext& context) {
  if (context.number > kMaxUnitId) {
    std::fprintf(session::errorStream(), "\nError: Maximum OS ID is %d",
                 static_cast<int>(kMaxUnitId));
    return session::ParseFailed;
  }
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(context.number));
  PutProperty(context, "BraskelID", digits);
  return session::ParseOk;
}

}  // namespace request
