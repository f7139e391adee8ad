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
#include "session/result_recorder.h"
#include "session/tracked_memory.h"

namespace capture {
namespace {

// The content of each step's file, sealed and waiting until every step has
// succeeded; a fatal stop or the process's end before that leaves no
// trace of them.
platform::PendingFile stepFiles[kStepCount];

void closeOutput(CaptureWriter& writer) { writer.output = nullptr; }

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

int openStepFile(CaptureWriter& writer, std::size_t step, const char* name) {
  platform::PendingFile& file = stepFiles[step];
  if (!file.open(name, platform::FileAccess::kShared)) {
    std::fprintf(session::errorStream(), "\nError: Open of %s failed, %s", name,
                 platform::errorText(errno));
    return 1;
  }
  session::setFatalStopCleanup(dropStepFiles);
  writer.output = file.stream();
  if (writeCommentLine(writer, "") != 0 ||
      writeCommentLine(writer, kChecksumStartText) != 0) {
    std::fprintf(
        session::errorStream(),
        "\nError: Cannot write ouput file.  Error detected:\n       %s",
        platform::errorText(errno != 0 ? errno : EIO));
    file.discard();
    closeOutput(writer);
    return 1;
  }
  return 0;
}

int closeStepFile(CaptureWriter& writer, std::size_t step, const char* name,
                  bool stepFailed) {
  bool failed = stepFailed || writeChecksumEndLine(writer.output) != 0;
  if (failed || !writer.stepWroteCommand) {
    stepFiles[step].discard();
  } else {
    writer.newStepFiles[step] = session::copyText(
        name, std::strlen(name), "quill_configuration", __LINE__);
  }
  closeOutput(writer);
  return failed && !stepFailed ? 1 : 0;
}

int keepStepFiles(CaptureWriter& writer) {
  const char* first = nullptr;
  for (const char* name : writer.newStepFiles) {
    if (first == nullptr) first = name;
  }
  // An unnecessary step leaves no file, not even an earlier one.
  removeEarlierSteps(writer, first != nullptr ? first : "");
  int result = 0;
  for (std::size_t step = 0; step < kStepCount; ++step) {
    const char* name = writer.newStepFiles[step];
    if (name == nullptr) continue;
    if (result != 0 || !stepFiles[step].commit()) {
      if (result == 0) {
        std::fprintf(
            session::errorStream(),
            "\nError: Cannot close ouput file.  Error detected:\n       %s",
            platform::errorText(errno != 0 ? errno : EIO));
      }
      stepFiles[step].discard();
      result = 1;
      continue;
    }
    forgetEarlierStep(writer, name);
    session::appendResult(session::ResultKind::kFiles, name);
  }
  session::setFatalStopCleanup(nullptr);
  for (const char* earlier : writer.earlierStepFiles) {
    if (earlier != nullptr && !platform::nameExists(earlier)) {
      session::appendResult(session::ResultKind::kRemoved, earlier);
    }
  }
  return result;
}

void dropStepFiles() {
  for (platform::PendingFile& file : stepFiles) file.discard();
  session::setFatalStopCleanup(nullptr);
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
