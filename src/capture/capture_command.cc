#include "capture/capture_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "capture/capture_line.h"
#include "capture/capture_steps.h"
#include "capture/capture_writer.h"
#include "capture/step_file.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/written_files.h"
#include "request/preconditions.h"
#include "session/confirmation.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"
#include "session/version.h"
#include "session/work_area.h"

namespace capture {
namespace {

using session::outputStream;

// Lists the step files that exist already (a dangling link counts) and
// asks before they are overwritten, whoever runs the command; the writer
// notes them as the earlier capture's. A name that may not be written is
// refused before anything is. 0 when the capture may go on.
int confirmOverwrite(CaptureWriter& writer, const char* fileName) {
  bool anyExists = false;
  for (std::size_t i = 0; i < kStepCount; ++i) {
    char* name = stepFileName(fileName, kCaptureSteps[i].name);
    platform::WriteTarget target;
    if (!platform::findWriteTarget(name, target) &&
        platform::isRefusal(errno)) {
      std::fprintf(session::errorStream(), "\nError: Open of %s failed, %s",
                   name, platform::errorText(errno));
      session::release(name);
      return 1;
    }
    if (!platform::nameExists(name)) {
      session::release(name);
      continue;
    }
    if (!anyExists)
      std::fputs("\nThe following file(s) already exist:", outputStream);
    std::fprintf(outputStream, "\n   %s", name);
    anyExists = true;
    writer.earlierStepFiles[i] = name;
  }
  if (anyExists &&
      !session::confirmCommand(
          "\n\nThe above file(s) will be overwritten if you continue")) {
    return 1;
  }
  return 0;
}

void noteCaptureTime(CaptureWriter& writer) {
  std::string now = platform::localTimeText(platform::clock().wallTime());
  std::size_t length = now.size();
  while (length > 0 && static_cast<unsigned char>(now[length - 1]) <= ' ') {
    --length;
  }
  length = std::min(length, sizeof writer.captureTime - 1);
  std::memcpy(writer.captureTime, now.data(), length);
  writer.captureTime[length] = '\0';
}

// One header comment: a label and its value side by side.
int writeLabelled(CaptureWriter& writer, const char* label, const char* value) {
  char text[2 * kLineLimit];
  std::snprintf(text, sizeof text, "%s%s", label, value);
  return writeCommentLine(writer, text);
}

int writeHeader(CaptureWriter& writer, const char* stepName) {
  const session::SessionState& session = *writer.context->session;
  char title[64];
  std::snprintf(title, sizeof title, "CAPTURE CONFIGURATION %s on %s", stepName,
                writer.captureTime);
  char banner[64];
  std::snprintf(banner, sizeof banner, "PELK Build %s for HALVO Version %s",
                session::kBuildNumber, session::kProductVersion);
  const struct {
    const char* label;
    const char* value;
  } lines[] = {
      {"", ""},
      {title, ""},
      {"", ""},
      {"Manager: ", session.managerAddress},
      {"System: ", session.systemName},
      {"", ""},
      {banner, ""},
      {"", ""},
  };
  for (const auto& line : lines) {
    if (writeLabelled(writer, line.label, line.value) != 0) return 1;
  }
  return 0;
}

void reportStep(const CaptureWriter& writer, const char* stepName,
                bool failed) {
  if (failed) {
    std::fprintf(outputStream, "\n    CAPTURE CONFIGURATION %s failed",
                 stepName);
  } else if (!writer.toFile || writer.stepWroteCommand) {
    std::fprintf(outputStream,
                 "\n    CAPTURE CONFIGURATION %s complete and successful",
                 stepName);
  } else {
    std::fprintf(outputStream,
                 "\n    CAPTURE CONFIGURATION %s complete and successful, but "
                 "it was\n    determined that it was unnecessary.  File not "
                 "generated.",
                 stepName);
  }
}

// A step's script kept in memory, to be reported in its step's result.
struct KeptScript {
  std::FILE* stream = nullptr;
  char* text = nullptr;
  std::size_t length = 0;
};

// Opens the step's output: its file, or the standard output. For --json a
// script without a file is kept, since only JSON goes to the standard
// output then.
int openStep(CaptureWriter& writer, std::size_t step, const char* fileName,
             KeptScript& kept) {
  if (fileName == nullptr) {
    writer.output = stdout;
    if (session::recordingResults()) {
      kept.stream = platform::openMemoryStream(&kept.text, &kept.length);
      if (kept.stream != nullptr) writer.output = kept.stream;
    }
    std::fputs("\n\n\n", outputStream);
    return 0;
  }
  std::fprintf(outputStream, "\nGenerating file %s", fileName);
  return openStepFile(writer, step, fileName);
}

// The step's result for --json: what became of it, its file or the lines
// of its script. The files written are named once they all have taken
// their names (keepStepFiles).
void recordStep(const CaptureWriter& writer, const char* stepName,
                const char* fileName, bool failed, KeptScript& kept) {
  if (!session::recordingResults()) return;
  bool written = !failed && (fileName == nullptr || writer.stepWroteCommand);
  nlohmann::ordered_json step = {{"step", stepName},
                                 {"result", failed    ? "failed"
                                            : written ? "written"
                                                      : "unnecessary"}};
  if (fileName != nullptr) step["file"] = fileName;
  if (kept.stream != nullptr) {
    std::fclose(kept.stream);
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    std::string_view rest(kept.text, kept.length);
    while (!rest.empty()) {
      std::size_t end = std::min(rest.find('\n'), rest.size());
      lines.push_back(std::string(rest.substr(0, end)));
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    std::free(kept.text);
    kept = KeptScript{};
    step["lines"] = std::move(lines);
  }
  session::appendResult(session::ResultKind::kSteps, std::move(step));
}

int runStep(CaptureWriter& writer, std::size_t index, const char* captureFile) {
  const CaptureStep& step = kCaptureSteps[index];
  writer.progressCount = 0;
  writer.stepWroteCommand = false;
  KeptScript kept;
  if (request::RequireSystem(*writer.context) != 0) {
    recordStep(writer, step.name, nullptr, true, kept);
    reportStep(writer, step.name, true);
    return 1;
  }
  char* fileName =
      captureFile != nullptr ? stepFileName(captureFile, step.name) : nullptr;
  bool failed = openStep(writer, index, fileName, kept) != 0;
  if (!failed) {
    failed = writeHeader(writer, step.name) != 0 || step.writeBody(writer) != 0;
    if (fileName != nullptr) {
      failed = closeStepFile(writer, index, fileName, failed) != 0 || failed;
    }
  }
  recordStep(writer, step.name, fileName, failed, kept);
  session::release(fileName);
  reportStep(writer, step.name, failed);
  return failed ? 1 : 0;
}

void releaseWriter(CaptureWriter* writer) {
  for (char* earlier : writer->earlierStepFiles) session::release(earlier);
  for (char* written : writer->newStepFiles) session::release(written);
  session::release(writer);
}

int CaptureConfiguration(session::CommandContext& context) {
  const char* captureFile = context.session->work.captureFileArg;
  session::setResult(session::ResultKind::kFiles,
                     nlohmann::ordered_json::array());
  session::setResult(session::ResultKind::kSteps,
                     nlohmann::ordered_json::array());
  session::setResult(session::ResultKind::kRemoved,
                     nlohmann::ordered_json::array());
  auto* writer =
      session::trackedNew<CaptureWriter>("quill_configuration", __LINE__);
  if (captureFile != nullptr && confirmOverwrite(*writer, captureFile) != 0) {
    releaseWriter(writer);
    return 1;
  }
  std::fputs(
      "\n    CAPTURE CONFIGURATION may take awhile.  Do not modify "
      "configuration\n    until command is complete.\n\n",
      outputStream);
  writer->context = &context;
  writer->toFile = captureFile != nullptr;
  noteCaptureTime(*writer);
  int result = 0;
  for (std::size_t step = 0; step < kStepCount && result == 0; ++step) {
    result = runStep(*writer, step, captureFile);
  }
  if (result == 0 && writer->toFile) {
    result = keepStepFiles(*writer);
    if (result != 0) reportRemovedEarlierSteps(*writer);
  }
  if (result != 0) dropStepFiles();
  releaseWriter(writer);
  return result;
}

}  // namespace

session::ParseStatus installCaptureConfiguration(
    session::CommandContext& context) {
  context.session->work.finalHandler = CaptureConfiguration;
  return session::ParseOk;
}

session::ParseStatus recordCaptureFile(session::CommandContext& context) {
  session::copyToken(context, context.session->work.captureFileArg);
  return session::ParseOk;
}

}  // namespace capture
