#include "shell/basic_commands.h"

#include <nlohmann/json.hpp>
#include <string>

#include "language/help.h"
#include "platform/clock.h"
#include "session/result_recorder.h"

namespace shell {

using session::CommandContext;
using session::kExitRequested;
using session::ParseOk;
using session::ParseStatus;
using session::recordingResults;
using session::ResultKind;
using session::setResult;
namespace {

int requestExit(CommandContext& context) {
  context.session->sessionFlags |= kExitRequested;
  return 0;
}

// The time goes to the standard output, not to a capture file, so that a
// regression reference never holds it.
int showTime(CommandContext&) {
  std::time_t now = platform::clock().wallTime();
  std::string text = platform::localTimeText(now);
  std::printf("\n%s", text.c_str());
  if (recordingResults()) {
    setResult(ResultKind::kTime, {{"local", text}, {"epoch_seconds", now}});
  }
  return 0;
}

}  // namespace

ParseStatus installExit(CommandContext& context) {
  context.session->work.finalHandler = requestExit;
  return ParseOk;
}

ParseStatus installHelp(CommandContext& context) {
  context.session->work.finalHandler = language::printHelpText;
  return ParseOk;
}

ParseStatus installShowTime(CommandContext& context) {
  context.session->work.finalHandler = showTime;
  return ParseOk;
}

}  // namespace shell
