// What the object command families share: option keywords that stand for
// one fixed property, values that are only remembered for the final
// action, installing the final action, and the create request most ADD
// commands send.
#pragma once

#include "request/object_kinds.h"
#include "request/pending_properties.h"
#include "session/session.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

namespace objects {

// A property an option keyword records: SPARE_POLICY=DOUBLE stands for
// "SparePolicy" = "Double". Each family lists its values as named
// constants, and the grammar hangs putFixed<kConstant> on the keyword.
struct FixedProperty {
  const char* name;
  const char* value;
};

// At the front of the pending list; a repeated keyword keeps its last value.
template <const FixedProperty& property>
session::ParseStatus putFixed(session::CommandContext& context) {
  request::PutProperty(context, property.name, property.value);
  return session::ParseOk;
}

// At the end of the pending list, for the requests whose elements keep
// the order they were recorded in (DR groups).
template <const FixedProperty& property>
session::ParseStatus putFixedLast(session::CommandContext& context) {
  request::PutPropertyLast(context, property.name, property.value);
  return session::ParseOk;
}

// A name the final action resolves later (DISK_GROUP=, VDISK=, HOST=, ...):
// the value token is copied into the work-area field.
template <char* session::WorkArea::*field>
session::ParseStatus recordArgument(session::CommandContext& context) {
  session::copyToken(context, context.session->work.*field);
  return session::ParseOk;
}

// Makes `action` the command's final action.
session::ParseStatus install(session::CommandContext& context,
                             session::FinalHandler action);

// Looks `name` up among the objects of `kind` and records its identifier
// as `property`. 0, or 1 after printing why.
int putObjectId(session::CommandContext& context, request::ObjectKind kind,
                const char* name, const char* property);

// The folder of a path-qualified new name, when one was given, recorded
// as "FolderID". 0, or 1 after printing why.
int putFolderId(session::CommandContext& context);

// A version-1 Create of `elementType` in the selected system with the
// pending properties, sent and judged.
int sendCreate(session::CommandContext& context, const char* elementType);

// Replaces the text in `slot` with a tracked copy of `text`.
void replaceText(char*& slot, const char* text, const char* module, int line);

}  // namespace objects
