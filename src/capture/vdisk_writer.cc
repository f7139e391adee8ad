#include "capture/vdisk_writer.h"

#include <strings.h>

#include <cstring>
#include <string_view>

#include "capture/capture_line.h"
#include "capture/detail_values.h"

namespace capture {
namespace {

constexpr std::string_view kActiveEnding = "\\ACTIVE";

const KeywordPair kWriteCache[] = {
    {"Mirrored write-back", "MIRRORED_WRITEBACK"},
    {"Unmirrored write-back", "NOMIRRORED_WRITEBACK"},
};
const KeywordPair kReadCache[] = {
    {"On", "READ_CACHE"},
    {"Off", "NOREAD_CACHE"},
};
const KeywordPair kWriteProtect[] = {
    {"No", "NOWRITE_PROTECT"},
    {"Yes", "WRITE_PROTECT"},
};
const KeywordPair kPreferredPath[] = {
    {"Path A-Failover only", "PATH_A_FAILOVER"},
    {"Path A-Failover/failback", "PATH_A_BOTH"},
    {"Path B-Failover only", "PATH_B_FAILOVER"},
    {"Path B-Failover/failback", "PATH_B_BOTH"},
};

// A setting the server reports as text and the command takes as a keyword.
struct TranslatedSetting {
  const char* tag;
  const KeywordPair* pairs;
  std::size_t count;
};

const TranslatedSetting kTranslatedSettings[] = {
    {"Write_cache_Policy", kWriteCache, std::size(kWriteCache)},
    {"Read_cache_Policy", kReadCache, std::size(kReadCache)},
    {"Write_Protect", kWriteProtect, std::size(kWriteProtect)},
};

int appendTranslated(CaptureWriter& writer,
                     const session::ResponseNode* details,
                     const TranslatedSetting& setting) {
  const char* value = RequireToken(details, setting.tag);
  if (value == nullptr) return 1;
  const char* keyword = TranslateToKeyword(value, setting.pairs, setting.count);
  return keyword != nullptr ? appendWord(writer, keyword) : 1;
}

int appendPreferredPath(CaptureWriter& writer,
                        const session::ResponseNode* details) {
  const char* path = RequireToken(details, "Preferred_path");
  if (path == nullptr) return 1;
  if (strcasecmp(path, "No preference") == 0) {
    return appendWord(writer, "NOPREFERRED_PATH");
  }
  const char* keyword = TranslateToKeyword(path, kPreferredPath);
  return keyword != nullptr ? appendSetting(writer, "PREFERRED_PATH", keyword)
                            : 1;
}

// The part of a text before its first blank: "10 GB" gives 10.
std::string_view firstWord(const char* text) {
  std::string_view view(text);
  return view.substr(0, view.find(' '));
}

}  // namespace

bool isActiveVdisk(const char* fullName) {
  return std::string_view(fullName).ends_with(kActiveEnding);
}

int writeVdisk(CaptureWriter& writer, const session::ResponseNode* details) {
  const char* name = RequireToken(details, "Name");
  if (name == nullptr) return 1;
  if (!isActiveVdisk(name)) return 0;
  std::string_view family(name, std::strlen(name) - kActiveEnding.size());
  const char* group = RequireToken(details, "Disk_Group");
  if (group == nullptr) return 1;
  const char* size = RequireToken(details, "Capacity_Req");
  if (size == nullptr) return 1;
  const char* redundancy = RequireToken(details, "Redundancy");
  if (redundancy == nullptr) return 1;
  startLine(writer, "ADD");
  if (appendWord(writer, "VDISK") != 0 || appendQuoted(writer, family) != 0 ||
      appendQuotedSetting(writer, "DISK_GROUP", group) != 0 ||
      appendSetting(writer, "SIZE", firstWord(size)) != 0 ||
      appendSetting(writer, "REDUNDANCY", redundancy) != 0) {
    return 1;
  }
  for (const TranslatedSetting& setting : kTranslatedSettings) {
    if (appendTranslated(writer, details, setting) != 0) return 1;
  }
  const char* unitId = detailValue(details, "OS_Unit_ID");
  if (unitId != nullptr && unitId[0] != '\0' &&
      appendSetting(writer, "OS_UNIT_ID", unitId) != 0) {
    return 1;
  }
  if (appendPreferredPath(writer, details) != 0 ||
      appendWord(writer, "WAIT_FOR_COMPLETION") != 0) {
    return 1;
  }
  appendComment(writer, detailValue(details, "Comments"));
  writer.stepWroteCommand = true;
  return writeLine(writer);
}

int writeLuns(CaptureWriter& writer, const session::ResponseNode* details,
              const char* fullName) {
  if (!isActiveVdisk(fullName)) return 0;
  for (int n = 1;; ++n) {
    const char* lun = detailValue(details, "Lun", n);
    if (lun == nullptr || lun[0] == '\0') return 0;
    const char* host = RequireToken(details, "StorageClientName", n);
    if (host == nullptr) return 1;
    startLine(writer, "ADD");
    if (appendWord(writer, "LUN") != 0 || appendWord(writer, lun) != 0 ||
        appendQuotedSetting(writer, "VDISK", fullName) != 0 ||
        appendQuotedSetting(writer, "HOST", host) != 0) {
      return 1;
    }
    writer.stepWroteCommand = true;
    if (writeLine(writer) != 0) return 1;
  }
}

}  // namespace capture
