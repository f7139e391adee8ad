#include "capture/group_writer.h"

#include <cctype>
#include <cstring>

#include "capture/capture_line.h"
#include "capture/detail_values.h"
#include "request/numbers.h"
#include "session/tracked_memory.h"

namespace capture {
namespace {

// The disk types ADD SYSTEM and ADD DISK_GROUP can restore.
const KeywordPair kDiskTypes[] = {
    {"Near-Online", "nearonline"},
    {"Online", "online"},
};

char* copyOf(const char* text, std::size_t length) {
  return session::copyText(text, length, "quill_configuration", __LINE__);
}

char* copyOf(const char* text) { return copyOf(text, std::strlen(text)); }

void replaceText(char*& slot, char* text) {
  session::release(slot);
  slot = text;
}

void holdBack(CaptureWriter& writer, const char* groupName) {
  auto* held =
      session::trackedNew<DeferredGroupLine>("quill_configuration", __LINE__);
  held->line = copyOf(writer.captureLine, writer.lineLength);
  held->groupName = copyOf(groupName);
  held->next = writer.deferredGroupLines;
  writer.deferredGroupLines = held;
}

int chooseDefaultGroup(CaptureWriter& writer, const char* name,
                       const char* totalDisks, const char* sparePolicy,
                       const char* alarmDigits, const char* diskType,
                       const char* comment) {
  DefaultGroup& chosen = writer.defaultGroup;
  if (chosen.name != nullptr &&
      std::strcmp(chosen.name, kDefaultGroupName) == 0)
    return 0;
  uint32_t count = 0;
  if (request::ConvertNumber(count, totalDisks, 10) != 0) return 1;
  if (std::strcmp(name, kDefaultGroupName) != 0 &&
      count <= chosen.deviceCount && chosen.name != nullptr) {
    return 0;
  }
  replaceText(chosen.name, copyOf(name));
  replaceText(chosen.sparePolicy, copyOf(sparePolicy));
  replaceText(chosen.alarmDigits, copyOf(alarmDigits));
  replaceText(chosen.diskType, copyOf(diskType));
  replaceText(chosen.comment, copyOf(comment != nullptr ? comment : ""));
  chosen.deviceCount = count;
  return 0;
}

int writeStoredLine(CaptureWriter& writer, const char* line) {
  startLine(writer, line);
  return writeLine(writer);
}

}  // namespace

const char* diskTypeKeyword(const char* serverText) {
  for (const KeywordPair& type : kDiskTypes) {
    if (serverText != nullptr && std::strcmp(type.serverText, serverText) == 0)
      return type.keyword;
  }
  return nullptr;
}

int writeDiskGroup(CaptureWriter& writer, const session::ResponseNode* details,
                   int) {
  const char* name = RequireToken(details, "Name");
  if (name == nullptr) return 1;
  const char* totalDisks = RequireToken(details, "Total_Disks");
  if (totalDisks == nullptr) return 1;
  const char* sparePolicy =
      RequireToken(details, "Disk_Failure_Protection_Level");
  if (sparePolicy == nullptr) return 1;
  startLine(writer, "ADD");
  if (appendWord(writer, "DISK_GROUP") != 0 ||
      appendQuoted(writer, name) != 0 ||
      appendSetting(writer, "DEVICE_COUNT", totalDisks) != 0 ||
      appendSetting(writer, "SPARE_POLICY", sparePolicy) != 0) {
    return 1;
  }
  // The chosen group keeps its own disk type for ADD SYSTEM, so the
  // system's first group is built from disks of the type it had.
  const char* diskType = detailValue(details, "DiskGroup_DiskType");
  const char* typeKeyword = diskTypeKeyword(diskType);
  if (typeKeyword == nullptr) {
    diskType = "";
  } else if (appendSetting(writer, "DISKGROUP_DISKTYPE", typeKeyword) != 0) {
    return 1;
  }
  const char* alarm = RequireToken(details, "Occupancy_Alarm_Level");
  if (alarm == nullptr) return 1;
  std::size_t digits = 0;
  while (std::isdigit(static_cast<unsigned char>(alarm[digits]))) ++digits;
  char* alarmDigits = copyOf(alarm, digits);
  int result = appendSetting(writer, "OCCUPANCY_ALARM", alarmDigits);
  if (result == 0) {
    const char* comment = detailValue(details, "Comments");
    appendComment(writer, comment);
    holdBack(writer, name);
    result = chooseDefaultGroup(writer, name, totalDisks, sparePolicy,
                                alarmDigits, diskType, comment);
  }
  session::release(alarmDigits);
  return result;
}

int writeHeldBackGroupLines(CaptureWriter& writer) {
  const char* chosen = writer.defaultGroup.name;
  for (const DeferredGroupLine* held = writer.deferredGroupLines;
       held != nullptr; held = held->next) {
    if (chosen != nullptr && std::strcmp(held->groupName, chosen) == 0) {
      continue;
    }
    if (writeStoredLine(writer, held->line) != 0) return 1;
  }
  return 0;
}

int writeDefaultGroupLines(CaptureWriter& writer) {
  const DefaultGroup& chosen = writer.defaultGroup;
  if (chosen.name == nullptr) return 0;
  if (std::strcmp(chosen.name, kDefaultGroupName) != 0) {
    const char* lastBackslash = std::strrchr(chosen.name, '\\');
    const char* leaf =
        lastBackslash != nullptr ? lastBackslash + 1 : chosen.name;
    startLine(writer, "SET");
    if (appendWord(writer, "DISK_GROUP") != 0 ||
        appendQuoted(writer, kDefaultGroupName) != 0 ||
        appendQuotedSetting(writer, "NAME", leaf) != 0 ||
        writeLine(writer) != 0) {
      return 1;
    }
  }
  startLine(writer, "SET");
  if (appendWord(writer, "DISK_GROUP") != 0 ||
      appendQuoted(writer, chosen.name) != 0 ||
      appendSetting(writer, "OCCUPANCY_ALARM", chosen.alarmDigits) != 0 ||
      writeLine(writer) != 0) {
    return 1;
  }
  // The chosen group is never added, so its comment needs a line of its
  // own or the restore loses it.
  startLine(writer, "SET");
  if (appendWord(writer, "DISK_GROUP") != 0 ||
      appendQuoted(writer, chosen.name) != 0) {
    return 1;
  }
  return appendComment(writer, chosen.comment) ? writeLine(writer) : 0;
}

void clearDiskGroups(CaptureWriter& writer) {
  DefaultGroup& chosen = writer.defaultGroup;
  for (char** text : {&chosen.name, &chosen.sparePolicy, &chosen.alarmDigits,
                      &chosen.diskType, &chosen.comment}) {
    session::release(*text);
    *text = nullptr;
  }
  chosen.deviceCount = 0;
  while (writer.deferredGroupLines != nullptr) {
    DeferredGroupLine* held = writer.deferredGroupLines;
    writer.deferredGroupLines = held->next;
    session::release(held->line);
    session::release(held->groupName);
    session::release(held);
  }
}

}  // namespace capture
