#include "request/object_envelopes.h"

#include "request/pending_properties.h"
#include "request/request_envelope.h"

namespace request {

void BuildV1ObjectRequest(session::CommandContext& context,
                          const char* operation, ObjectKind kind,
                          const char* id) {
  BeginV1Request(context, operation, elementType(kind));
  if (kind != kSystems) {
    PutProperty(context, "ElementID", context.session->systemId);
  }
  PutProperty(context, "ID", id);
  EmitV1Properties(context);
  EndV1Request(context);
}

void BuildV32ObjectRequest(session::CommandContext& context,
                           const char* operation, ObjectKind kind,
                           const char* id) {
  BeginV32Request(context, operation);
  PutProperty(context, "objecttype",
              kind == kVdisks ? "virtualdisk" : "drmgroup");
  PutProperty(context, "objectid", id);
  PutProperty(context, "scellid", context.session->systemId);
  EmitV32Properties(context);
  EndV32Request(context);
}

}  // namespace request
