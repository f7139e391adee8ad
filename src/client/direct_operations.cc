#include "client/direct_operations.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "client/debug_log.h"
#include "client/direct_request.h"
#include "client/error_text.h"
#include "client/login.h"
#include "client/protocol_names.h"
#include "client/response_buffer.h"
#include "client/text_search.h"

namespace emclient {
namespace {

// The text after `open` (searched from `from`) up to the next "</".
std::optional<Span> elementText(std::string_view answer, std::string_view open,
                                std::size_t from) {
  return findBetween(answer, open, "</", from);
}

int copyField(std::string_view answer, std::string_view open,
              std::string_view close, char* field) {
  std::optional<std::string_view> text = textBetween(answer, open, close);
  if (!text) {
    reportError(EMCLIENTAPI_INVALIDSERVERRESPONSE_ERROR);
    return EMCLIENTAPI_INVALIDSERVERRESPONSE_ERROR;
  }
  if (text->size() >= EMCLIENTAPI_TEXT_FIELD_SIZE) {
    reportError(EMCLIENTAPI_BUFFERTOOSMALL_ERROR);
    return EMCLIENTAPI_BUFFERTOOSMALL_ERROR;
  }
  std::memcpy(field, text->data(), text->size());
  field[text->size()] = '\0';
  return EMCLIENTAPI_SUCCESS;
}

}  // namespace

int appendObjects(std::string_view answer, ObjectListEntry** list) {
  ObjectListEntry** tail = list;
  while (*tail != nullptr) tail = &(*tail)->next;
  std::size_t from = 0;
  for (;;) {
    std::optional<Span> id = elementText(answer, "<objectid>", from);
    if (!id) return EMCLIENTAPI_SUCCESS;
    std::optional<Span> name = elementText(answer, "<objectname>", id->end);
    if (!name) return EMCLIENTAPI_SUCCESS;
    std::size_t hexStart = findMarker(answer, "<objecthexuid>", name->end);
    std::optional<Span> hex = elementText(answer, "<objecthexuid>", name->end);
    if (!hex) return EMCLIENTAPI_SUCCESS;
    auto* entry = new (std::nothrow) ObjectListEntry{};
    if (entry == nullptr) {
      reportError(EMCLIENTAPI_ALLOCATION_ERROR);
      return EMCLIENTAPI_ALLOCATION_ERROR;
    }
    *tail = entry;
    tail = &entry->next;
    auto piece = [&](const Span& span) {
      return copyForCaller(answer.substr(span.begin, span.end - span.begin));
    };
    entry->objectId = piece(*id);
    entry->objectName = piece(*name);
    entry->objectHexUid = piece(*hex);
    if (entry->objectId == nullptr || entry->objectName == nullptr ||
        entry->objectHexUid == nullptr) {
      reportError(EMCLIENTAPI_ALLOCATION_ERROR);
      return EMCLIENTAPI_ALLOCATION_ERROR;
    }
    from = hexStart;
  }
}

int readSystemInfo(std::string_view answer, char* version, char* build) {
  if (contains(answer, "xmlintr - is not yet supported or known")) {
    std::snprintf(version, EMCLIENTAPI_TEXT_FIELD_SIZE, "%s", "2");
    return EMCLIENTAPI_SUCCESS;
  }
  if (int result = copyField(answer, "<emversion>", "</emversion>", version);
      result != 0) {
    return result;
  }
  return copyField(answer, "<embuild>", "</embuild>", build);
}

}  // namespace emclient

using emclient::DirectRequest;
using emclient::InterfaceVersion;
using emclient::kElementManagerPort;
using emclient::kManagerPort;

extern "C" int EMClientAPITNGGetSystemInfo(const char* host, const char* user,
                                           const char* password, char* version,
                                           char* build) {
  if (emclient::anyNull({host, user, password, version, build})) {
    return emclient::invalidParameter();
  }
  std::memset(version, 0, EMCLIENTAPI_TEXT_FIELD_SIZE);
  std::memset(build, 0, EMCLIENTAPI_TEXT_FIELD_SIZE);
  std::snprintf(version, EMCLIENTAPI_TEXT_FIELD_SIZE, "%s", "unknown");
  std::snprintf(build, EMCLIENTAPI_TEXT_FIELD_SIZE, "%s", "unknown");
  // A fresh handshake on the ELM path.
  emclient::emptySessionFile();
  std::string answer;
  int result = emclient::sendDirect(
      emclient::buildDirectRequest({InterfaceVersion::k3, false,
                                    kElementManagerPort, "<getsysteminfo/>"},
                                   host, user, password),
      answer);
  if (result != 0) return result;
  return emclient::readSystemInfo(answer, version, build);
}

extern "C" int EMClientAPITNGDiscoverStorageCell(const char* host,
                                                 const char* user,
                                                 const char* password) {
  if (emclient::anyNull({host, user, password})) {
    return emclient::invalidParameter();
  }
  std::string answer;
  return emclient::sendDirect(
      emclient::buildDirectRequest({InterfaceVersion::k32, false, kManagerPort,
                                    "<discoverstoragecell/>"},
                                   host, user, password),
      answer);
}

extern "C" int EMClientAPITNGGetObjectList(const char* host, const char* user,
                                           const char* password,
                                           const char* cellId,
                                           const char* objectType,
                                           ObjectListEntry** list) {
  if (emclient::anyNull({host, user, password, cellId, objectType, list})) {
    return emclient::invalidParameter();
  }
  std::string operation =
      "<getobjectlist><scellid>" + emclient::escapeMarkup(cellId) +
      "</scellid><objecttype>" + emclient::escapeMarkup(objectType) +
      "</objecttype></getobjectlist>";
  std::string answer;
  int result = emclient::sendDirect(
      emclient::buildDirectRequest(
          {InterfaceVersion::k3, false, kManagerPort, std::move(operation)},
          host, user, password),
      answer);
  if (result != 0) return result;
  emclient::trace(emclient::Layer::kFront, 1, "Extracted ITEMS -->");
  return emclient::appendObjects(answer, list);
}

extern "C" void EMClientAPITNGFreeObjectList(ObjectListEntry* list) {
  while (list != nullptr) {
    ObjectListEntry* next = list->next;
    std::free(list->objectId);
    std::free(list->objectName);
    std::free(list->objectHexUid);
    delete list;
    list = next;
  }
}
