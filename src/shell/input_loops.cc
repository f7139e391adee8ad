#include "shell/input_loops.h"

#include <cstring>
#include <functional>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/interruption.h"
#include "session/result_recorder.h"
#include "shell/execute_line.h"
#include "shell/known_names.h"
#include "shell/line_editor.h"

namespace shell {

using session::automation;
using session::CommandContext;
using session::errorStream;
using session::kExitRequested;
using session::kRegressionCapture;
using session::kStoppedOnError;
using session::outputStream;
using session::promptName;
using session::SessionState;
namespace {

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

// Shows the prompt for `promptName` and reads one line.
using LineReader =
    std::function<platform::LineStatus(const char*, platform::LineBuffer&)>;

bool loopMustStop(const SessionState& session) {
  return (session.sessionFlags & (kExitRequested | kStoppedOnError)) != 0 ||
         platform::interruption() == platform::Interruption::kEndSession;
}

// Ctrl-C at a terminal: the command and every script it ran have
// stopped; one line says so and the prompt comes back.
void reportStoppedCommand() {
  if (platform::interruption() != platform::Interruption::kStopCommand) return;
  std::fprintf(errorStream(), "\n%s", interruptionMessage().c_str());
  platform::clearInterruption();
}

platform::LineStatus readPlainLine(const char* name,
                                   platform::LineBuffer& line) {
  std::printf("\n%s%c ", name, '>');
  return platform::readLine(stdin, line);
}

platform::LineStatus readWithoutPrompt(const char*,
                                       platform::LineBuffer& line) {
  return platform::readLine(stdin, line);
}

// A line as typed: echoed into a redirected output stream, where a
// regression capture needs its command lines, then executed.
void executeTypedLine(CommandContext& context, const char* text,
                      std::size_t length) {
  if (outputStream != stdout) {
    std::fprintf(outputStream, "\n%s", "> ");
    std::fwrite(text, 1, length, outputStream);
    std::fputc('\n', outputStream);
  }
  executeLine(context, text, length, false);
}

void readAndExecuteLines(CommandContext& context, const LineReader& read) {
  SessionState& session = *context.session;
  platform::LineBuffer line;
  while (!loopMustStop(session)) {
    platform::LineStatus status = read(promptName(session), line);
    // Ctrl-C at the prompt, even one that came just before the wait for
    // input, discards the line and gives a fresh prompt.
    if (platform::interruption() == platform::Interruption::kStopCommand) {
      platform::clearInterruption();
      continue;
    }
    if (status == platform::LineStatus::kInterrupted) return;
    // For a job the end of its input is the normal end.
    if (status == platform::LineStatus::kEnd && automation.quiet) return;
    if (status == platform::LineStatus::kEnd ||
        status == platform::LineStatus::kError) {
      std::fprintf(errorStream(), "\nError: Input stream error:\n       %s",
                   platform::errorText(line.error));
      return;
    }
    if (status == platform::LineStatus::kTooLong ||
        status == platform::LineStatus::kRunaway) {
      rejectLongLine(context, line, false);
      // The rest of a runaway line is no command: reading ends there.
      if (status == platform::LineStatus::kRunaway) return;
      continue;
    }
    executeTypedLine(context, line.text, trimLineEnd(line.text, line.length));
    reportStoppedCommand();
    if (session.sessionFlags & kExitRequested) return;
  }
}

}  // namespace

void runInteractiveLoop(CommandContext& context) {
  if (automation.quiet) {
    readAndExecuteLines(context, readWithoutPrompt);
    return;
  }
  // Line editing only for a person at a terminal: with input or output
  // redirected, every byte read and printed stays as in the plain loop.
  if (!platform::isTerminal(kStandardInput) ||
      !platform::isTerminal(kStandardOutput)) {
    readAndExecuteLines(context, readPlainLine);
    return;
  }
  ListedNames listed;
  LineEditor editor{knownObjectNames(context, listed),
                    [&context](std::string_view line) {
                      executeTypedLine(context, line.data(), line.size());
                    }};
  readAndExecuteLines(
      context, [&](const char* name, platform::LineBuffer& line) {
        listed = {};  // each command line may ask the manager afresh
        return editor.readLine(name, line);
      });
}

void runArgumentLoop(CommandContext& context, int count, char** lines) {
  SessionState& session = *context.session;
  for (int i = 0; i < count; ++i) {
    if (session.sessionFlags & kRegressionCapture) {
      // A reference needs its command lines in the "> " form to be
      // replayable; the administrator still sees each command.
      std::fprintf(outputStream, "\n> %s\n", lines[i]);
      if (!automation.quiet) {
        std::printf("\n%s%c %s\n", promptName(session), '>', lines[i]);
      }
    } else if (!automation.quiet) {
      std::fprintf(outputStream, "\n%s%c %s\n", promptName(session), '>',
                   lines[i]);
    }
    executeLine(context, lines[i], std::strlen(lines[i]), false);
    if (loopMustStop(session)) return;
  }
}

}  // namespace shell
