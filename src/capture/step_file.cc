#include "capture/step_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "capture/capture_line.h"
#include "capture/checksum.h"
#include "platform/files.h"
#include "shell/output.h"
#include "shell/tracked_memory.h"

namespace capture {
namespace {

// The step file open now, for the fatal-stop cleanup.
std::FILE* openFile = nullptr;
const char* openName = nullptr;

void forgetOpenFile() {
  openFile = nullptr;
  openName = nullptr;
  shell::setFatalStopCleanup(nullptr);
}

// A fatal stop must not leave a script without its end line behind.
void discardOpenFile() {
  std::fclose(openFile);
  std::remove(openName);
  openFile = nullptr;
  openName = nullptr;
}

}  // namespace

char* stepFileName(const char* fileName, const char* stepName) {
  const char* lastSlash = std::strrchr(fileName, '/');
  const char* component = lastSlash != nullptr ? lastSlash + 1 : fileName;
  const char* dot = std::strchr(component, '.');
  std::size_t split = dot != nullptr ? static_cast<std::size_t>(dot - fileName)
                                     : std::strlen(fileName);
  std::size_t nameLength = std::strlen(stepName);
  std::size_t restLength = std::strlen(fileName + split);
  auto* name = static_cast<char*>(
      shell::allocate(split + 1 + nameLength + restLength + 1,
                      "quill_configuration", __LINE__));
  std::memcpy(name, fileName, split);
  name[split] = '_';
  std::memcpy(name + split + 1, stepName, nameLength);
  std::memcpy(name + split + 1 + nameLength, fileName + split, restLength);
  return name;
}

int openStepFile(CaptureWriter& writer, const char* name) {
  std::FILE* file = std::fopen(name, "w+");
  if (file == nullptr) {
    std::fprintf(shell::errorStream(), "\nError: Open of %s failed, %s", name,
                 platform::errorText(errno));
    return 1;
  }
  openFile = file;
  openName = name;
  shell::setFatalStopCleanup(discardOpenFile);
  writer.output = file;
  if (writeCommentLine(writer, "") != 0 ||
      writeCommentLine(writer, kChecksumStartText) != 0) {
    std::fprintf(
        shell::errorStream(),
        "\nError: Cannot write ouput file.  Error detected:\n       %s",
        platform::errorText(errno != 0 ? errno : EIO));
    discardOpenFile();
    forgetOpenFile();
    writer.output = nullptr;
    return 1;
  }
  return 0;
}

int closeStepFile(CaptureWriter& writer, const char* name, bool stepFailed) {
  bool failed = stepFailed || writeChecksumEndLine(writer.output) != 0;
  errno = 0;
  if (std::fclose(writer.output) != 0) {
    std::fprintf(
        shell::errorStream(),
        "\nError: Cannot close ouput file.  Error detected:\n       %s",
        platform::errorText(errno != 0 ? errno : EIO));
    failed = true;
  }
  writer.output = nullptr;
  forgetOpenFile();
  if (failed || !writer.stepWroteCommand) std::remove(name);
  return failed && !stepFailed ? 1 : 0;
}

}  // namespace capture
