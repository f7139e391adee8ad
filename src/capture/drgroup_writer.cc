#include "capture/drgroup_writer.h"

#include <cstring>

#include "capture/capture_line.h"
#include "capture/detail_values.h"
#include "capture/object_iteration.h"
#include "session/tracked_memory.h"

namespace capture {
namespace {

using session::ResponseNode;

const KeywordPair kAccessModes[] = {
    {"readonly", "READONLY"},
    {"disable", "DISABLE"},
};
const KeywordPair kSuspendStates[] = {
    {"suspend", "SUSPEND"},
    {"resume", "NOSUSPEND"},
};
const KeywordPair kFailsafe[] = {
    {"enabled", "FAILSAFE"},
    {"disabled", "NOFAILSAFE"},
};

// A setting restored by its own SET DR_GROUP line: through a pair table,
// written after `key` and "=" when there is a key, as a keyword alone
// otherwise.
struct GroupSetting {
  const char* tag;
  const KeywordPair* pairs;
  std::size_t count;
  const char* key;
};

const GroupSetting kAccessSetting = {"accessmode", kAccessModes,
                                     std::size(kAccessModes), "ACCESSMODE"};
const GroupSetting kLaterSettings[] = {
    {"writemode", nullptr, 0, "WRITEMODE"},  // the server's text as it is
    {"suspendstate", kSuspendStates, std::size(kSuspendStates), nullptr},
    {"failsafe", kFailsafe, std::size(kFailsafe), nullptr},
};

// Details fetched for one member, released however the writer leaves.
struct OwnedDetails {
  ResponseNode* root = nullptr;
  ~OwnedDetails() { session::releaseTree(root); }
};

int appendGroup(CaptureWriter& writer, const char* group) {
  return appendWord(writer, "DR_GROUP") != 0 || appendQuoted(writer, group) != 0
             ? 1
             : 0;
}

int writeGroupSetting(CaptureWriter& writer, const ResponseNode* details,
                      const char* group, const GroupSetting& setting) {
  const char* value = RequireToken(details, setting.tag);
  if (value == nullptr) return 1;
  if (setting.pairs != nullptr) {
    value = TranslateToKeyword(value, setting.pairs, setting.count);
    if (value == nullptr) return 1;
  }
  startLine(writer, "SET");
  if (appendGroup(writer, group) != 0) return 1;
  int appended = setting.key != nullptr
                     ? appendSetting(writer, setting.key, value)
                     : appendWord(writer, value);
  return appended != 0 ? 1 : writeLine(writer);
}

// A comment line only when a comment is left after sanitising and it fits:
// SET DR_GROUP alone would not replay.
int writeGroupComment(CaptureWriter& writer, const ResponseNode* details,
                      const char* group) {
  startLine(writer, "SET");
  if (appendGroup(writer, group) != 0) return 1;
  if (!appendComment(writer, detailValue(details, "comments"))) return 0;
  return writeLine(writer);
}

// The remote copy's details: asked of the remote system, whose identifier
// stands in for the selected system's for this one request. The selected
// system's identifier is put back before anything else happens.
int fetchRemoteCopy(CaptureWriter& writer, const char* remoteSystemId,
                    const char* remoteVdiskId, OwnedDetails& remote) {
  session::SessionState& session = *writer.context->session;
  char* selectedSystemId = session.systemId;
  char* remoteId =
      session::copyText(remoteSystemId, std::strlen(remoteSystemId),
                        "quill_configuration", __LINE__);
  session.systemId = remoteId;
  int result =
      fetchDetails(writer, request::kVdisks, remoteVdiskId, remote.root);
  session.systemId = selectedSystemId;
  session::release(remoteId);
  return result;
}

// Member b (from 2: the first objectname is the group's own): the group is
// created with its first member and given each later one.
int writeMember(CaptureWriter& writer, const ResponseNode* group,
                const char* groupName, int b) {
  startLine(writer, b == 2 ? "ADD" : "SET");
  if (appendGroup(writer, groupName) != 0) return 1;
  if (b == 2) {
    const char* destination = RequireToken(group, "scellname");
    if (destination == nullptr ||
        appendQuotedSetting(writer, "DESTINATION_SYSTEM", destination) != 0) {
      return 1;
    }
  }
  const char* member = detailValue(group, "objectname", b);
  if (appendQuotedSetting(writer, b == 2 ? "VDISK" : "ADD_VDISK", member) !=
      0) {
    return 1;
  }
  const char* memberId = RequireToken(group, "objectid", b);
  if (memberId == nullptr) return 1;
  OwnedDetails local;
  if (fetchDetails(writer, request::kVdisks, memberId, local.root) != 0) {
    return 1;
  }
  const char* remoteVdiskId = RequireToken(local.root, "remotevirtualdiskid");
  if (remoteVdiskId == nullptr) return 1;
  const char* remoteSystemId = RequireToken(local.root, "remotescellid");
  if (remoteSystemId == nullptr) return 1;
  OwnedDetails remote;
  if (fetchRemoteCopy(writer, remoteSystemId, remoteVdiskId, remote) != 0) {
    return 1;
  }
  const char* remoteName = RequireToken(remote.root, "Name");
  if (remoteName == nullptr) return 1;
  const char* remoteGroup = RequireToken(remote.root, "Disk_Group");
  if (remoteGroup == nullptr) return 1;
  if (appendQuotedSetting(writer, "DESTINATION_VDISK_NAME", remoteName) != 0 ||
      appendQuotedSetting(writer, "DESTINATION_DISK_GROUP", remoteGroup) != 0) {
    return 1;
  }
  writer.stepWroteCommand = true;
  return writeLine(writer);
}

}  // namespace

int writeDrGroup(CaptureWriter& writer, const ResponseNode* details, int) {
  const char* mode = RequireToken(details, "drmmode");
  if (mode == nullptr) return 1;
  if (std::strcmp(mode, "source") != 0) return 0;
  const char* group = RequireToken(details, "objectname");
  if (group == nullptr) return 1;
  for (int b = 2;; ++b) {
    const char* member = detailValue(details, "objectname", b);
    if (member == nullptr || member[0] == '\0') break;
    if (writeMember(writer, details, group, b) != 0) return 1;
  }
  if (writeGroupSetting(writer, details, group, kAccessSetting) != 0 ||
      writeGroupComment(writer, details, group) != 0) {
    return 1;
  }
  for (const GroupSetting& setting : kLaterSettings) {
    if (writeGroupSetting(writer, details, group, setting) != 0) return 1;
  }
  return 0;
}

}  // namespace capture
