#include "client/disk_exercise.h"

#include "client/direct_request.h"
#include "client/protocol_names.h"
#include "client/response_buffer.h"
#include "client/text_search.h"

namespace emclient {
namespace {

constexpr const char* kNoSummary =
    "Error: No disk exercise summary (unknown error).";

std::string cellOperation(const char* element, const char* cellId,
                          std::string_view inner = {}) {
  std::string operation = std::string("<") + element + "><scellid>" +
                          escapeMarkup(cellId) + "</scellid>";
  operation.append(inner);
  return operation + "</" + element + ">";
}

// Hands out the answer's status message when it has one.
void handOutStatus(const std::string& answer, char** message) {
  std::string status = statusMessage(answer);
  if (!status.empty()) *message = copyForCaller(status);
}

}  // namespace

std::vector<std::string> splitDiskNames(std::string_view names) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  for (;;) {
    std::size_t comma = names.find(',', from);
    std::string_view piece = names.substr(from, comma == std::string_view::npos
                                                    ? std::string_view::npos
                                                    : comma - from);
    std::size_t first = piece.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
      std::size_t last = piece.find_last_not_of(" \t");
      pieces.emplace_back(piece.substr(first, last - first + 1));
    }
    if (comma == std::string_view::npos) return pieces;
    from = comma + 1;
  }
}

bool chooseDisks(const std::vector<std::string>& names,
                 const ObjectListEntry* disks, std::vector<std::string>& ids) {
  if (names.empty()) {
    for (const ObjectListEntry* disk = disks; disk != nullptr;
         disk = disk->next) {
      ids.emplace_back(disk->objectId);
    }
    return true;
  }
  for (const std::string& name : names) {
    const ObjectListEntry* disk = disks;
    while (disk != nullptr &&
           std::string_view(disk->objectName).substr(0, name.size()) != name) {
      disk = disk->next;
    }
    if (disk == nullptr) return false;
    ids.emplace_back(disk->objectId);
  }
  return true;
}

}  // namespace emclient

using emclient::InterfaceVersion;
using emclient::kManagerPort;

extern "C" int EMClientAPITNGStartDiskExercise(
    const char* host, const char* user, const char* password,
    const char* diskNames, const char* cellId, char** message) {
  if (emclient::anyNull({host, user, password, diskNames, cellId, message})) {
    return emclient::invalidParameter();
  }
  *message = nullptr;
  std::vector<std::string> names = emclient::splitDiskNames(diskNames);
  ObjectListEntry* disks = nullptr;
  int result =
      EMClientAPITNGGetObjectList(host, user, password, cellId, "disk", &disks);
  std::vector<std::string> ids;
  bool chosen = result == 0 && emclient::chooseDisks(names, disks, ids);
  EMClientAPITNGFreeObjectList(disks);
  if (result != 0) return result;
  if (!chosen) return EMCLIENTAPI_OBJECTNOTFOUND_ERROR;

  std::string diskElements;
  for (const std::string& id : ids) {
    diskElements += "<diskid>" + emclient::escapeMarkup(id) + "</diskid>";
  }
  std::string answer;
  result = emclient::sendDirect(
      emclient::buildDirectRequest(
          {InterfaceVersion::k32, true, kManagerPort,
           emclient::cellOperation("startdiskexercise", cellId, diskElements)},
          host, user, password),
      answer);
  if (result == 0) emclient::handOutStatus(answer, message);
  return result;
}

extern "C" int EMClientAPITNGStopDiskExercise(const char* host,
                                              const char* user,
                                              const char* password,
                                              const char* cellId,
                                              char** message) {
  if (emclient::anyNull({host, user, password, cellId, message})) {
    return emclient::invalidParameter();
  }
  std::string answer;
  int result = emclient::sendDirect(
      emclient::buildDirectRequest(
          {InterfaceVersion::k32, true, kManagerPort,
           emclient::cellOperation("stopdiskexercise", cellId)},
          host, user, password),
      answer);
  if (result == 0) emclient::handOutStatus(answer, message);
  return result;
}

extern "C" int EMClientAPITNGDiskExerciseSummary(const char* host,
                                                 const char* user,
                                                 const char* password,
                                                 const char* cellId,
                                                 char** summary) {
  if (emclient::anyNull({host, user, password, cellId, summary})) {
    return emclient::invalidParameter();
  }
  *summary = nullptr;
  std::string answer;
  int result = emclient::sendDirect(
      emclient::buildDirectRequest(
          {InterfaceVersion::k32, false, kManagerPort,
           emclient::cellOperation("diskexercisesummary", cellId)},
          host, user, password),
      answer);
  std::string text = emclient::kNoSummary;
  if (result == 0) {
    constexpr std::string_view kOpen = "<diskexercisesummary>";
    if (emclient::contains(answer, kOpen)) {
      if (auto found =
              emclient::textBetween(answer, kOpen, "</diskexercisesummary>")) {
        text = *found;
      }
    } else if (std::string status = emclient::statusMessage(answer);
               !status.empty()) {
      text = status;
    }
  }
  *summary = emclient::copyForCaller(text);
  return result;
}
