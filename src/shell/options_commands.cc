#include "shell/options_commands.h"

#include <nlohmann/json.hpp>

#include "session/result_recorder.h"

namespace shell {

using session::CommandContext;
using session::errorStream;
using session::kExitOnError;
using session::kStopOnError;
using session::outputStream;
using session::ParseFailed;
using session::ParseOk;
using session::ParseStatus;
using session::recordingResults;
using session::ResultKind;
using session::sessionOptions;
using session::SessionState;
using session::setResult;
using session::StagedOptions;
namespace {

int commitOptions(CommandContext& context) {
  SessionState& session = *context.session;
  session.sessionFlags = session.work.staged.sessionFlags;
  sessionOptions = session.work.staged.options;
  return 0;
}

int showOptions(CommandContext& context) {
  const SessionState& session = *context.session;
  std::fputs("\nOptions:", outputStream);
  if (sessionOptions.commandDelay != 0) {
    std::fprintf(outputStream, "\n    %s = %u (seconds)", "COMMAND_DELAY",
                 sessionOptions.commandDelay);
  } else {
    std::fprintf(outputStream, "\n    %s", "NOCOMMAND_DELAY");
  }
  std::fprintf(outputStream, "\n    %s = %u", "DISPLAY_WIDTH",
               sessionOptions.displayWidth);
  const char* onError = "CONTINUE";
  if (session.sessionFlags & kStopOnError) {
    onError = (session.sessionFlags & kExitOnError) ? "EXIT_ON_ERROR"
                                                    : "HALT_ON_ERROR";
  }
  std::fprintf(outputStream, "\n    %s = %s", "ON_ERROR", onError);
  if (sessionOptions.retries != 0) {
    std::fprintf(outputStream, "\n    %s = %u (minutes)", "RETRIES",
                 sessionOptions.retries);
  } else {
    std::fprintf(outputStream, "\n    %s", "NORETRIES");
  }
  std::fprintf(outputStream, "\n    %s",
               sessionOptions.safeDelete ? "SAFE_DELETE" : "NOSAFE_DELETE");
  if (recordingResults()) {
    setResult(ResultKind::kOptions,
              {{"COMMAND_DELAY", sessionOptions.commandDelay},
               {"DISPLAY_WIDTH", sessionOptions.displayWidth},
               {"ON_ERROR", onError},
               {"RETRIES", sessionOptions.retries},
               {"SAFE_DELETE", sessionOptions.safeDelete}});
  }
  return 0;
}

// Stages one value and makes the line commit on success.
ParseStatus staged(CommandContext& context) {
  context.session->work.finalHandler = commitOptions;
  return ParseOk;
}

StagedOptions& staging(CommandContext& context) {
  return context.session->work.staged;
}

ParseStatus outOfRange(const char* option, uint32_t low, uint32_t high) {
  std::fprintf(errorStream(), "\nError: %s must be %u to %u", option, low,
               high);
  return ParseFailed;
}

void setOnError(CommandContext& context, uint32_t flags) {
  uint32_t& staged = staging(context).sessionFlags;
  staged = (staged & ~(kStopOnError | kExitOnError)) | flags;
}

}  // namespace

ParseStatus stageOptions(CommandContext& context) {
  staging(context).sessionFlags = context.session->sessionFlags;
  staging(context).options = sessionOptions;
  return ParseOk;
}

ParseStatus stageCommandDelay(CommandContext& context) {
  if (context.number > 300) return outOfRange("COMMAND_DELAY", 0, 300);
  staging(context).options.commandDelay = context.number;
  return staged(context);
}

ParseStatus stageNoCommandDelay(CommandContext& context) {
  staging(context).options.commandDelay = 0;
  return staged(context);
}

ParseStatus stageDisplayWidth(CommandContext& context) {
  if (context.number < 70 || context.number > 500) {
    return outOfRange("DISPLAY_WIDTH", 70, 500);
  }
  staging(context).options.displayWidth = context.number;
  return staged(context);
}

ParseStatus stageRetries(CommandContext& context) {
  if (context.number == 0 || context.number > 10) {
    return outOfRange("RETRIES", 1, 10);
  }
  staging(context).options.retries = context.number;
  return staged(context);
}

ParseStatus stageNoRetries(CommandContext& context) {
  staging(context).options.retries = 0;
  return staged(context);
}

ParseStatus stageSafeDelete(CommandContext& context) {
  staging(context).options.safeDelete = true;
  return staged(context);
}

ParseStatus stageNoSafeDelete(CommandContext& context) {
  staging(context).options.safeDelete = false;
  return staged(context);
}

ParseStatus stageOnErrorContinue(CommandContext& context) {
  setOnError(context, 0);
  return staged(context);
}

ParseStatus stageOnErrorExit(CommandContext& context) {
  setOnError(context, kStopOnError | kExitOnError);
  return staged(context);
}

ParseStatus stageOnErrorHalt(CommandContext& context) {
  setOnError(context, kStopOnError);
  return staged(context);
}

ParseStatus installShowOptions(CommandContext& context) {
  context.session->work.finalHandler = showOptions;
  return ParseOk;
}

}  // namespace shell
