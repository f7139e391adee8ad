#include "capture/folder_writer.h"

#include <cstring>
#include <string_view>

#include "capture/capture_line.h"
#include "capture/detail_values.h"

namespace capture {
namespace {

constexpr std::string_view kFolderRoots[] = {"\\Virtual Disks\\", "\\Hosts\\"};

}  // namespace

int writeFolder(CaptureWriter& writer, const session::ResponseNode* details,
                int) {
  const char* name = RequireToken(details, "Name");
  if (name == nullptr) return 1;
  // A listed folder name ends in a backslash; ADD FOLDER takes the path
  // without it.
  const char* lastBackslash = std::strrchr(name, '\\');
  std::string_view path(name,
                        lastBackslash != nullptr
                            ? static_cast<std::size_t>(lastBackslash - name)
                            : std::strlen(name));
  bool underRoot = false;
  for (std::string_view root : kFolderRoots)
    underRoot |= path.starts_with(root);
  if (!underRoot) return 0;
  startLine(writer, "ADD");
  if (appendWord(writer, "FOLDER") != 0 || appendQuoted(writer, path) != 0) {
    return 1;
  }
  appendComment(writer, detailValue(details, "Comments"));
  return writeLine(writer);
}

}  // namespace capture
