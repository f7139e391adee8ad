#include "shell/execute_line.h"

#include <cstring>
#include <initializer_list>

#include "language/grammar.h"
#include "language/parser.h"
#include "platform/clock.h"
#include "platform/interruption.h"
#include "shell/regression.h"
#include "shell/tracked_memory.h"

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

// The caret stands below the line as echoed or typed after the prompt name
// and "> ".
void printCaret(const CommandContext& context, int extra) {
  int width = static_cast<int>(std::strlen(promptName(*context.session))) +
              static_cast<int>(context.cursor - context.lineStart) + extra;
  std::fprintf(outputStream, "%*s^", width, "");
}

}  // namespace

int reportIncompleteCommand(CommandContext&) {
  std::fputs("\nError: Incomplete command", outputStream);
  return 1;
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
  context.cursor = line;
  context.remaining = static_cast<uint32_t>(length);
  resetWorkArea(session);

  ParseStatus status = language::quill_parse(language::rootList(), context);
  if (status == ParseOk) {
    // A command an interruption cut short failed, whatever it returned.
    bool failed = session.work.finalHandler(context) != 0 ||
                  (session.work.resultFlags & kServerFailure) != 0 ||
                  platform::interrupted();
    if (failed) markCommandFailed(session);
    if (applyDelay && sessionOptions.commandDelay != 0) {
      platform::pause(sessionOptions.commandDelay * 1000u);
    }
  } else if (status != ParseHelpShown) {
    markCommandFailed(session);
    switch (status) {
      case ParseFailed:
        break;
      case ParseTokenNotFound:
        std::fputs("\nError: Token not found", outputStream);
        break;
      case ParseAmbiguous:
        printCaret(context, 1);
        std::fputs("\nError: Ambiguous keyword at or before here",
                   outputStream);
        break;
      case ParseIncomplete:
        std::fputs("\nError: Incomplete command", outputStream);
        break;
      case ParseSyntaxError:
        printCaret(context, 2);
        std::fputs("\nError: Syntax error at or near here", outputStream);
        break;
      case ParseNoResources:
        std::fputs("\nError: Insufficient resources", outputStream);
        break;
      default:
        std::fprintf(outputStream,
                     "\nInternal error: Bad quill_parse status = %x (hex)",
                     static_cast<unsigned>(status));
        break;
    }
  }
  if (checkCaptureWritten(session) != 0) markCommandFailed(session);
  releaseWorkArea(session);
  compact();
}

}  // namespace shell
