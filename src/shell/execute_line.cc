#include "shell/execute_line.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "language/grammar.h"
#include "language/line_scanner.h"
#include "language/parser.h"
#include "language/password_mask.h"
#include "platform/clock.h"
#include "platform/interruption.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"
#include "shell/regression.h"

namespace shell {

using session::allocate;
using session::beginLineResult;
using session::CommandContext;
using session::compact;
using session::endLineResult;
using session::errorStream;
using session::explainFailure;
using session::kIncompleteCommand;
using session::kServerFailure;
using session::ParseAmbiguous;
using session::ParseFailed;
using session::ParseHelpShown;
using session::ParseIncomplete;
using session::ParseNoResources;
using session::ParseOk;
using session::ParseStatus;
using session::ParseSyntaxError;
using session::ParseTokenNotFound;
using session::printCaret;
using session::reportIncompleteCommand;
using session::sessionOptions;
using session::SessionState;
using session::WorkArea;
namespace {

bool isBlankOrComment(const char* line, std::size_t length) {
  std::size_t i = 0;
  while (i < length && language::isBlank(line[i])) ++i;
  return i == length || line[i] == '!';
}

void resetWorkArea(SessionState& session) {
  session.work = WorkArea{};
  session.work.finalHandler = reportIncompleteCommand;
  session.work.currentLabel =
      static_cast<char*>(allocate(1, "quill_main", __LINE__));
}

// How executeLine reports a parse that failed: the caret (when there is
// one) stands `caret` characters after the cursor, under the character at
// the cursor for a syntax error and under the last one of the ambiguous
// word before it. No message: the failing handler printed its own.
struct ParseReport {
  ParseStatus status;
  std::optional<int> caret;
  const char* message;
};

constexpr ParseReport kParseReports[] = {
    {ParseFailed, std::nullopt, nullptr},
    {ParseTokenNotFound, std::nullopt, "\nError: Token not found"},
    {ParseAmbiguous, -1, "\nError: Ambiguous keyword at or before here"},
    {ParseIncomplete, std::nullopt, kIncompleteCommand},
    {ParseSyntaxError, 0, "\nError: Syntax error at or near here"},
    {ParseNoResources, std::nullopt, "\nError: Insufficient resources"},
};

void reportParseFailure(const CommandContext& context, ParseStatus status) {
  for (const ParseReport& report : kParseReports) {
    if (report.status != status) continue;
    if (report.caret) {
      printCaret(context,
                 static_cast<std::size_t>((context.cursor - context.lineStart) +
                                          *report.caret));
    }
    if (report.message != nullptr) {
      std::fputs(report.message, errorStream());
    }
    return;
  }
  std::fprintf(errorStream(),
               "\nInternal error: Bad quill_parse status = %x (hex)",
               static_cast<unsigned>(status));
}

// A line's record for --quiet and --json holds it with its passwords
// masked: what a job writes, others may read.
void beginRecordedLine(const char* line, std::size_t length) {
  if (!session::automation.quiet) return;
  beginLineResult(
      language::maskPasswords(language::rootList(), {line, length}));
}

}  // namespace

void rejectLongLine(CommandContext& context, const platform::LineBuffer& line,
                    bool markFailed) {
  beginRecordedLine(line.text, line.length);
  std::fprintf(errorStream(),
               "\nError: Input line too long, limit %d characters",
               static_cast<int>(platform::kLineLimit));
  if (markFailed) markCommandFailed(*context.session);
  endLineResult(true);
}

std::string interruptionMessage() {
  int signal = platform::endingSignal();
  if (signal == 0) return "Error: Command interrupted";
  char text[96];
  std::snprintf(text, sizeof text, "Error: Session ended by signal %d (%s)",
                signal, platform::signalText(signal));
  return text;
}

std::size_t trimLineEnd(char* line, std::size_t length) {
  while (length > 0 && static_cast<signed char>(line[length - 1]) <= 32) {
    --length;
  }
  line[length] = '\0';
  return length;
}

void executeLine(CommandContext& context, const char* line, std::size_t length,
                 bool applyDelay) {
  if (isBlankOrComment(line, length)) return;
  SessionState& session = *context.session;
  beginRecordedLine(line, length);
  context.cursor = line;
  context.remaining = static_cast<uint32_t>(length);
  resetWorkArea(session);

  bool failed = false;
  ParseStatus status = language::quill_parse(language::rootList(), context);
  if (status == ParseOk) {
    // A command an interruption cut short failed, whatever it returned.
    failed = session.work.finalHandler(context) != 0 ||
             (session.work.resultFlags & kServerFailure) != 0 ||
             platform::interrupted();
    // The shell says once, at the end, what cut the session short; a job
    // reads it with every line that stopped for it.
    if (platform::interrupted()) {
      explainFailure(interruptionMessage().c_str());
    }
    if (failed) markCommandFailed(session);
    if (applyDelay && sessionOptions.commandDelay != 0) {
      platform::pause(sessionOptions.commandDelay * 1000u);
    }
  } else if (status != ParseHelpShown) {
    failed = true;
    markCommandFailed(session);
    reportParseFailure(context, status);
  }
  if (checkCaptureWritten(session) != 0) {
    failed = true;
    markCommandFailed(session);
  }
  releaseWorkArea(session);
  compact();
  endLineResult(failed);
}

}  // namespace shell
