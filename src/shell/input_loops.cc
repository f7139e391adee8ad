#include "shell/input_loops.h"

#include <cerrno>
#include <cstring>

#include "platform/console.h"
#include "platform/files.h"
#include "shell/execute_line.h"

namespace shell {
namespace {

bool loopMustStop(const SessionState& session) {
  return (session.sessionFlags & (kExitRequested | kStoppedOnError)) != 0;
}

}  // namespace

void runInteractiveLoop(CommandContext& context) {
  SessionState& session = *context.session;
  platform::LineBuffer line;
  while (!loopMustStop(session)) {
    std::printf("\n%s%c ", promptName(session), '>');
    platform::LineStatus status = platform::readLine(stdin, line);
    if (status == platform::LineStatus::kEnd ||
        status == platform::LineStatus::kError) {
      std::fprintf(outputStream, "\nError: Input stream error:\n       %s",
                   platform::errorText(line.error));
      return;
    }
    if (status == platform::LineStatus::kTooLong) {
      std::fprintf(outputStream,
                   "\nError: Input line too long, limit %d characters",
                   static_cast<int>(platform::kLineLimit));
      continue;
    }
    std::size_t length = trimLineEnd(line.text, line.length);
    if (outputStream != stdout) {
      std::fprintf(outputStream, "\n%s", "> ");
      std::fwrite(line.text, 1, length, outputStream);
      std::fputc('\n', outputStream);
    }
    executeLine(context, line.text, length, false);
    if (session.sessionFlags & kExitRequested) return;
  }
}

void runArgumentLoop(CommandContext& context, int count, char** arguments) {
  SessionState& session = *context.session;
  for (int i = 1; i < count; ++i) {
    if (session.sessionFlags & kRegressionCapture) {
      // A reference needs its command lines in the "> " form to be
      // replayable; the administrator still sees each command.
      std::fprintf(outputStream, "\n> %s\n", arguments[i]);
      std::printf("\n%s%c %s\n", promptName(session), '>', arguments[i]);
    } else {
      std::fprintf(outputStream, "\n%s%c %s\n", promptName(session), '>',
                   arguments[i]);
    }
    executeLine(context, arguments[i], std::strlen(arguments[i]), false);
    if (loopMustStop(session)) return;
  }
}

}  // namespace shell
