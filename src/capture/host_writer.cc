#include "capture/host_writer.h"

#include <strings.h>

#include <string_view>

#include "capture/capture_line.h"
#include "capture/detail_values.h"

namespace capture {
namespace {

bool present(const char* value) { return value != nullptr && value[0] != '\0'; }

// The server shows a custom mode as "CUSTOM" and its mask; the command
// takes CUSTOM=mask.
int appendOperatingSystem(CaptureWriter& writer, const char* mode) {
  std::string_view text(mode);
  if (text.size() > 7 && strncasecmp(mode, "CUSTOM ", 7) == 0) {
    return appendPiece(writer, {"OPERATING_SYSTEM=CUSTOM=", text.substr(7)});
  }
  return appendSetting(writer, "OPERATING_SYSTEM", text);
}

}  // namespace

int writeHost(CaptureWriter& writer, const session::ResponseNode* details,
              int) {
  const char* name = RequireToken(details, "Name");
  if (name == nullptr) return 1;
  startLine(writer, "ADD");
  if (appendWord(writer, "HOST") != 0 || appendQuoted(writer, name) != 0) {
    return 1;
  }
  const char* address = detailValue(details, "IPAddress");
  if (present(address) && strcasecmp(address, "Dynamic IP Assignment") != 0 &&
      appendSetting(writer, "IP", address) != 0) {
    return 1;
  }
  const char* mode = RequireToken(details, "Operating_system");
  if (mode == nullptr || appendOperatingSystem(writer, mode) != 0) return 1;
  const char* firstPort = detailValue(details, "Port", 1);
  if (present(firstPort) &&
      appendSetting(writer, "WORLD_WIDE_NAME", firstPort) != 0) {
    return 1;
  }
  appendComment(writer, detailValue(details, "Comments"));
  if (writeLine(writer) != 0) return 1;
  for (int n = 2;; ++n) {
    const char* port = detailValue(details, "Port", n);
    if (!present(port)) return 0;
    startLine(writer, "SET");
    if (appendWord(writer, "HOST") != 0 || appendQuoted(writer, name) != 0 ||
        appendSetting(writer, "ADD_WORLD_WIDE_NAME", port) != 0 ||
        writeLine(writer) != 0) {
      return 1;
    }
  }
}

}  // namespace capture
