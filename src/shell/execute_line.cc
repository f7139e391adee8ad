#include "shell/execute_line.h"

#include <cstring>
#include <initializer_list>

#include "language/grammar.h"
#include "language/parser.h"
#include "platform/clock.h"
#include "platform/interruption.h"
#include "shell/regression.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"

namespace shell {
namespace {

bool isBlankOrComment(const char* line, std::size_t length) {
  std::size_t i = 0;
  while (i < length && line[i] == ' ') ++i;
  return i == length || line[i] == '!';
}

void resetWorkArea(SessionState& session) {
  session.work = WorkArea{};
  session.work.finalHandler = reportIncompleteCommand;
  session.work.currentLabel =
      static_cast<char*>(allocate(1, "quill_main", __LINE__));
}

// The caret stands `shift` characters after the cursor, less one: under
// the character at the cursor for a syntax error (2), under the last one
// of the ambiguous word before it (1).
void printParseCaret(const CommandContext& context, std::size_t shift) {
  printCaret(
      context,
      static_cast<std::size_t>(context.cursor - context.lineStart) + shift - 2);
}

}  // namespace

int reportIncompleteCommand(CommandContext&) {
  std::fputs("\nError: Incomplete command", errorStream());
  return 1;
}

void rejectLongLine(CommandContext& context, const platform::LineBuffer& line,
                    bool markFailed) {
  beginLineResult(line.text, line.length);
  std::fprintf(errorStream(),
               "\nError: Input line too long, limit %d characters",
               static_cast<int>(platform::kLineLimit));
  if (markFailed) markCommandFailed(*context.session);
  endLineResult(true);
}

std::size_t trimLineEnd(char* line, std::size_t length) {
  while (length > 0 && static_cast<signed char>(line[length - 1]) <= 32) {
    --length;
  }
  line[length] = '\0';
  return length;
}

void releaseWorkArea(SessionState& session) {
  WorkArea& work = session.work;
  for (char** text :
       {&work.currentLabel, &work.objectNameArg, &work.newNameArg,
        &work.folderPath, &work.captureFileArg, &work.diskGroupArg,
        &work.sourceVdiskArg, &work.hostNameArg, &work.vdiskNameArg,
        &work.destinationSystemArg, &work.destinationGroupArg,
        &work.deleteDiskArg, &work.requestBuffer, &work.currentOperation,
        &work.responseText}) {
    release(*text);
    *text = nullptr;
  }
  releaseProperties(work.pendingProperties);
  releaseTree(work.responseTree);
}

void executeLine(CommandContext& context, const char* line, std::size_t length,
                 bool applyDelay) {
  if (isBlankOrComment(line, length)) return;
  SessionState& session = *context.session;
  beginLineResult(line, length);
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
    if (failed) markCommandFailed(session);
    if (applyDelay && sessionOptions.commandDelay != 0) {
      platform::pause(sessionOptions.commandDelay * 1000u);
    }
  } else if (status != ParseHelpShown) {
    failed = true;
    markCommandFailed(session);
    std::FILE* errors = errorStream();
    switch (status) {
      case ParseFailed:
        break;
      case ParseTokenNotFound:
        std::fputs("\nError: Token not found", errors);
        break;
      case ParseAmbiguous:
        printParseCaret(context, 1);
        std::fputs("\nError: Ambiguous keyword at or before here", errors);
        break;
      case ParseIncomplete:
        std::fputs("\nError: Incomplete command", errors);
        break;
      case ParseSyntaxError:
        printParseCaret(context, 2);
        std::fputs("\nError: Syntax error at or near here", errors);
        break;
      case ParseNoResources:
        std::fputs("\nError: Insufficient resources", errors);
        break;
      default:
        std::fprintf(errors,
                     "\nInternal error: Bad quill_parse status = %x (hex)",
                     static_cast<unsigned>(status));
        break;
    }
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
