#include "capture/controller_writer.h"

#include <cstring>

#include "capture/capture_line.h"
#include "capture/detail_values.h"
#include "session/fatal_stop.h"
#include "session/output.h"
#include "session/tracked_memory.h"

namespace capture {
namespace {

constexpr const char* kFactoryNames[] = {"\\Controller A", "\\Controller B"};

constexpr const char* kRenamedNote =
    "One or more individual controllers have been renamed. A restore of the "
    "captured configuration will be unable to correctly rename them due to "
    "hardware configuration issues, so the user will have to rename them "
    "manually once the configuration has been restored.  Note that renaming "
    "controllers is merely an aesthetic issue and will not effect the "
    "functioning of your storage system.";

// A name without a backslash is a name of its own.
bool isFactoryName(const char* name) {
  const char* lastBackslash = std::strrchr(name, '\\');
  if (lastBackslash == nullptr) return false;
  for (const char* factory : kFactoryNames) {
    if (std::strcmp(lastBackslash, factory) == 0) return true;
  }
  return false;
}

int writeRenamedNote(CaptureWriter& writer) {
  for (const char* text :
       {"", kRenamedNote, "", "Original controller names were:", ""}) {
    if (writeCommentLine(writer, text) != 0) return 1;
  }
  for (const char* name : writer.controllerNames) {
    if (writeCommentLine(writer, name) != 0) return 1;
  }
  return writeCommentLine(writer, "");
}

}  // namespace

int writeController(CaptureWriter& writer, const session::ResponseNode* details,
                    int index) {
  if (index >= 2) {
    std::fputs("\nError: Number of expected controllers exceeded",
               session::errorStream());
    session::fatalStop();
  }
  const char* name = RequireToken(details, "Name", index + 1);
  if (name == nullptr) return 1;
  session::release(writer.controllerNames[index]);
  writer.controllerNames[index] = session::copyText(
      name, std::strlen(name), "quill_configuration", __LINE__);
  if (!isFactoryName(name)) writer.customControllerNames = true;
  if (index == 1 && writer.customControllerNames) {
    return writeRenamedNote(writer);
  }
  return 0;
}

void clearControllerNames(CaptureWriter& writer) {
  for (char*& name : writer.controllerNames) {
    session::release(name);
    name = nullptr;
  }
  writer.customControllerNames = false;
}

}  // namespace capture
