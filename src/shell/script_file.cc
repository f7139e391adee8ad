#include "shell/script_file.h"

#include <cerrno>
#include <cstring>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/interruption.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"
#include "shell/execute_line.h"
#include "shell/regression.h"

namespace shell {

using session::automation;
using session::CommandContext;
using session::copyText;
using session::errorStream;
using session::kExitRequested;
using session::kRegressionCapture;
using session::kStoppedOnError;
using session::markCommandFailed;
using session::outputStream;
using session::ParseOk;
using session::ParseStatus;
using session::promptName;
using session::release;
using session::RunMode;
using session::runMode;
using session::SessionState;
using session::WorkArea;
namespace {

// A script that runs itself must end with an error, not with the stack.
constexpr int kMaxScriptNesting = 64;
int scriptNesting = 0;

void writeEcho(std::FILE* stream, const char* prompt, const char* line,
               std::size_t length) {
  // Written in pieces: every line of a script is echoed, and a formatted
  // print costs several times as much.
  std::fputc('\n', stream);
  std::fputs(prompt, stream);
  std::fputs("> ", stream);
  std::fwrite(line, 1, length, stream);
  std::fputc('\n', stream);
}

void echoScriptLine(const SessionState& session, const char* line,
                    std::size_t length) {
  bool capturing = (session.sessionFlags & kRegressionCapture) != 0;
  if (capturing && scriptLinesAreCommands(scriptNesting)) {
    writeEcho(outputStream, "", line, length);
    if (!automation.quiet) writeEcho(stdout, "RegressionTest", line, length);
    return;
  }
  // A regression file holds the echo whatever the options: in a reference
  // it is the output of the FILE line recorded above, and a test compares
  // what it echoes with it.
  if (automation.quiet && outputStream == stdout) return;
  writeEcho(outputStream, promptName(session), line, length);
  if (capturing && !automation.quiet) {
    writeEcho(stdout, promptName(session), line, length);
  }
}

// Editors may begin a UTF-8 file with a byte-order mark; it belongs to no
// command.
void dropByteOrderMark(platform::LineBuffer& line) {
  constexpr char kMark[] = "\xEF\xBB\xBF";
  constexpr std::size_t kMarkLength = sizeof kMark - 1;
  if (line.length < kMarkLength ||
      std::memcmp(line.text, kMark, kMarkLength) != 0) {
    return;
  }
  line.length -= kMarkLength;
  std::memmove(line.text, line.text + kMarkLength, line.length + 1);
}

int runScriptCommand(CommandContext& context) {
  if (context.tokenLength > platform::kLineLimit) {
    std::fprintf(errorStream(),
                 "\nError: Filename too long, limit %u characters",
                 static_cast<unsigned>(platform::kLineLimit));
    return 0;
  }
  char* name =
      copyText(context.tokenStart, context.tokenLength, "quill_main", __LINE__);
  std::FILE* stream = nullptr;
  if (scriptNesting >= kMaxScriptNesting) {
    errno = EMFILE;
  } else {
    stream = platform::openForReading(name);
  }
  if (stream == nullptr) {
    std::fprintf(errorStream(), "\nError: Open of %s failed, %s", name,
                 platform::errorText(errno));
    release(name);
    return 0;
  }
  RunMode previousMode = runMode;
  runMode = RunMode::kScript;
  ++scriptNesting;
  runScript(stream, context);
  --scriptNesting;
  runMode = previousMode;
  std::fclose(stream);
  release(name);
  return 0;
}

}  // namespace

ParseStatus installRunScript(CommandContext& context) {
  context.session->work.finalHandler = runScriptCommand;
  return ParseOk;
}

void runScript(std::FILE* stream, CommandContext& context) {
  SessionState& session = *context.session;
  // Every script line resets the work area; the outer line's is put back so
  // that its own clean-up releases what it owns, and no state of the last
  // script line leaks into the outer line's result.
  WorkArea outer = session.work;
  platform::LineBuffer line;
  bool firstLine = true;
  // An interruption stops this script and every one that runs it.
  while ((session.sessionFlags & (kExitRequested | kStoppedOnError)) == 0 &&
         !platform::interrupted()) {
    platform::LineStatus status = platform::readLine(stream, line);
    if (status == platform::LineStatus::kInterrupted) break;
    if (status == platform::LineStatus::kError) {
      std::fprintf(errorStream(), "\nError: Input stream error:\n       %s",
                   platform::errorText(line.error));
      markCommandFailed(session);
      break;
    }
    if (firstLine) dropByteOrderMark(line);
    firstLine = false;
    if (status == platform::LineStatus::kTooLong ||
        status == platform::LineStatus::kRunaway) {
      rejectLongLine(context, line, true);
      // What follows a runaway line is its middle, not a command.
      if (status == platform::LineStatus::kRunaway) break;
    } else {
      std::size_t length = trimLineEnd(line.text, line.length);
      echoScriptLine(session, line.text, length);
      executeLine(context, line.text, length, true);
    }
    if (line.atEnd) break;
  }
  session.work = outer;
  session.sessionFlags &= ~kExitRequested;
}

int scriptDepth() { return scriptNesting; }

}  // namespace shell
