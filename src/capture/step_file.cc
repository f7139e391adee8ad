#include "capture/step_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "capture/capture_line.h"
#include "capture/checksum.h"
#include "platform/files.h"
#include "platform/pending_file.h"
#include "platform/written_files.h"
#include "session/fatal_stop.h"
#include "session/output.h"
#include "session/tracked_memory.h"

namespace capture {
namespace {

// The step file being written; a fatal stop or the process's end without
// keeping it leaves no trace of it.
platform::PendingFile stepFile;

void discardStepFile() { stepFile.discard(); }

void closeOutput(CaptureWriter& writer) {
  writer.output = nullptr;
  session::setFatalStopCleanup(nullptr);
}

void forgetEarlierStep(CaptureWriter& writer, const char* name) {
  for (char*& earlier : writer.earlierStepFiles) {
    if (earlier != nullptr && std::strcmp(earlier, name) == 0) {
      session::release(earlier);
      earlier = nullptr;
    }
  }
}

// Before this capture's first file takes its name, the earlier capture's
// other step files go: at no moment do the names hold steps of both.
void removeEarlierSteps(CaptureWriter& writer, const char* keeping) {
  if (writer.earlierStepsRemoved) return;
  writer.earlierStepsRemoved = true;
  for (char* earlier : writer.earlierStepFiles) {
    if (earlier != nullptr && std::strcmp(earlier, keeping) != 0) {
      platform::removeOwnName(earlier);
    }
  }
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
      session::allocate(split + 1 + nameLength + restLength + 1,
                        "quill_configuration", __LINE__));
  std::memcpy(name, fileName, split);
  name[split] = '_';
  std::memcpy(name + split + 1, stepName, nameLength);
  std::memcpy(name + split + 1 + nameLength, fileName + split, restLength);
  return name;
}

int openStepFile(CaptureWriter& writer, const char* name) {
  if (!stepFile.open(name, platform::FileAccess::kShared)) {
    std::fprintf(session::errorStream(), "\nError: Open of %s failed, %s", name,
                 platform::errorText(errno));
    return 1;
  }
  session::setFatalStopCleanup(discardStepFile);
  writer.output = stepFile.stream();
  if (writeCommentLine(writer, "") != 0 ||
      writeCommentLine(writer, kChecksumStartText) != 0) {
    std::fprintf(
        session::errorStream(),
        "\nError: Cannot write ouput file.  Error detected:\n       %s",
        platform::errorText(errno != 0 ? errno : EIO));
    discardStepFile();
    closeOutput(writer);
    return 1;
  }
  return 0;
}

int closeStepFile(CaptureWriter& writer, const char* name, bool stepFailed) {
  bool failed = stepFailed || writeChecksumEndLine(writer.output) != 0;
  if (failed || !writer.stepWroteCommand) {
    discardStepFile();
    // An unnecessary step leaves no file, not even an earlier one.
    if (!failed) platform::removeOwnName(name);
  } else {
    removeEarlierSteps(writer, name);
    if (!stepFile.commit()) {
      std::fprintf(
          session::errorStream(),
          "\nError: Cannot close ouput file.  Error detected:\n       %s",
          platform::errorText(errno != 0 ? errno : EIO));
      failed = true;
    } else {
      forgetEarlierStep(writer, name);
    }
  }
  closeOutput(writer);
  return failed && !stepFailed ? 1 : 0;
}

void reportRemovedEarlierSteps(const CaptureWriter& writer) {
  if (!writer.earlierStepsRemoved) return;
  bool any = false;
  for (const char* earlier : writer.earlierStepFiles) {
    if (earlier == nullptr || platform::nameExists(earlier)) continue;
    if (!any) {
      std::fputs("\nThe following file(s) of an earlier capture were removed:",
                 session::outputStream);
    }
    std::fprintf(session::outputStream, "\n   %s", earlier);
    any = true;
  }
}

}  // namespace capture
