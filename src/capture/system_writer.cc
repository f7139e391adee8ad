#include "capture/system_writer.h"

#include <cstdio>

#include "capture/capture_line.h"
#include "capture/detail_values.h"
#include "capture/group_writer.h"

namespace capture {
namespace {

int appendFirstGroup(CaptureWriter& writer) {
  const DefaultGroup& group = writer.defaultGroup;
  if (group.name == nullptr) return 0;
  char count[16];
  std::snprintf(count, sizeof count, "%u", group.deviceCount);
  if (appendSetting(writer, "DEVICE_COUNT", count) != 0 ||
      appendSetting(writer, "SPARE_POLICY", group.sparePolicy) != 0) {
    return 1;
  }
  const char* typeKeyword = diskTypeKeyword(group.diskType);
  return typeKeyword != nullptr
             ? appendSetting(writer, "DISKGROUP_DISKTYPE", typeKeyword)
             : 0;
}

}  // namespace

int writeSystem(CaptureWriter& writer, const session::ResponseNode* details,
                int) {
  const char* name = RequireToken(details, "Name");
  if (name == nullptr) return 1;
  startLine(writer, "ADD");
  if (appendWord(writer, "SYSTEM") != 0 || appendQuoted(writer, name) != 0 ||
      appendFirstGroup(writer) != 0) {
    return 1;
  }
  const char* consoleLun = detailValue(details, "Console_LUN_ID");
  if (consoleLun != nullptr && consoleLun[0] != '\0' &&
      appendSetting(writer, "CONSOLE_LUN_ID", consoleLun) != 0) {
    return 1;
  }
  appendComment(writer, detailValue(details, "Comments"));
  if (writeLine(writer) != 0) return 1;
  startLine(writer, "SELECT");
  if (appendWord(writer, "SYSTEM") != 0 || appendQuoted(writer, name) != 0) {
    return 1;
  }
  return writeLine(writer);
}

}  // namespace capture
