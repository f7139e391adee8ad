#include "request/pending_properties.h"

#include <cstring>

#include "session/tracked_memory.h"

namespace request {
namespace {

using shell::PendingProperty;

enum class Placement { kFront, kEnd };

char* copyValue(const char* data, std::size_t length) {
  return shell::copyText(data, length, "quill_soap", __LINE__);
}

void storeProperty(shell::CommandContext& context, const char* name,
                   const char* data, std::size_t length, Placement placement,
                   bool replaceSameName) {
  PendingProperty*& list = context.session->work.pendingProperties;
  PendingProperty** link = &list;
  if (replaceSameName || placement == Placement::kEnd) {
    for (; *link != nullptr; link = &(*link)->next) {
      if (replaceSameName && std::strcmp((*link)->name, name) == 0) {
        shell::release((*link)->value);
        (*link)->value = copyValue(data, length);
        return;
      }
    }
  }
  auto* property = shell::trackedNew<PendingProperty>("quill_soap", __LINE__);
  property->name = copyValue(name, std::strlen(name));
  property->value = copyValue(data, length);
  if (placement == Placement::kEnd) {
    *link = property;
  } else {
    property->next = list;
    list = property;
  }
}

}  // namespace

void PutProperty(shell::CommandContext& context, const char* name,
                 const char* value) {
  storeProperty(context, name, value, std::strlen(value), Placement::kFront,
                true);
}

void PutPropertyN(shell::CommandContext& context, const char* name,
                  const char* data, std::size_t length) {
  storeProperty(context, name, data, length, Placement::kFront, true);
}

void AddPropertyN(shell::CommandContext& context, const char* name,
                  const char* data, std::size_t length) {
  storeProperty(context, name, data, length, Placement::kFront, false);
}

void PutPropertyLast(shell::CommandContext& context, const char* name,
                     const char* value) {
  storeProperty(context, name, value, std::strlen(value), Placement::kEnd,
                true);
}

void PutPropertyLastN(shell::CommandContext& context, const char* name,
                      const char* data, std::size_t length) {
  storeProperty(context, name, data, length, Placement::kEnd, true);
}

}  // namespace request
