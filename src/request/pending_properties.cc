#include "request/pending_properties.h"

#include <cstring>

#include "session/tracked_memory.h"

namespace request {
namespace {

using session::PendingProperty;

enum class Placement { kFront, kEnd };

// A property is one block: the record, then its name and value, each
// terminated; a command of many properties makes few tracked blocks.
PendingProperty* newProperty(const char* name, const char* data,
                             std::size_t length) {
  std::size_t nameLength = std::strlen(name);
  // Every byte is written below: the block needs no zero fill.
  auto* property = static_cast<PendingProperty*>(session::allocateUnfilled(
      sizeof(PendingProperty) + nameLength + length + 2, "quill_soap",
      __LINE__));
  property->next = nullptr;
  property->name = reinterpret_cast<char*>(property + 1);
  std::memcpy(property->name, name, nameLength);
  property->name[nameLength] = '\0';
  property->value = property->name + nameLength + 1;
  if (length > 0) std::memcpy(property->value, data, length);
  property->value[length] = '\0';
  return property;
}

void storeProperty(session::CommandContext& context, const char* name,
                   const char* data, std::size_t length, Placement placement,
                   bool replaceSameName) {
  PendingProperty*& list = context.session->work.pendingProperties;
  PendingProperty** link = &list;
  if (replaceSameName || placement == Placement::kEnd) {
    for (; *link != nullptr; link = &(*link)->next) {
      if (replaceSameName && std::strcmp((*link)->name, name) == 0) {
        PendingProperty* replaced = *link;
        PendingProperty* property = newProperty(name, data, length);
        property->next = replaced->next;
        *link = property;
        session::release(replaced);
        return;
      }
    }
  }
  PendingProperty* property = newProperty(name, data, length);
  if (placement == Placement::kEnd) {
    *link = property;
  } else {
    property->next = list;
    list = property;
  }
}

}  // namespace

void PutProperty(session::CommandContext& context, const char* name,
                 const char* value) {
  storeProperty(context, name, value, std::strlen(value), Placement::kFront,
                true);
}

void PutPropertyN(session::CommandContext& context, const char* name,
                  const char* data, std::size_t length) {
  storeProperty(context, name, data, length, Placement::kFront, true);
}

void AddPropertyN(session::CommandContext& context, const char* name,
                  const char* data, std::size_t length) {
  storeProperty(context, name, data, length, Placement::kFront, false);
}

void PutPropertyLast(session::CommandContext& context, const char* name,
                     const char* value) {
  storeProperty(context, name, value, std::strlen(value), Placement::kEnd,
                true);
}

void PutPropertyLastN(session::CommandContext& context, const char* name,
                      const char* data, std::size_t length) {
  storeProperty(context, name, data, length, Placement::kEnd, true);
}

}  // namespace request
