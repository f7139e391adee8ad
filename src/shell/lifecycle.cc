#include "shell/lifecycle.h"

#include <cerrno>
#include <cstdlib>
#include <initializer_list>

#include "client/emclient_api.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/interruption.h"
#include "platform/sockets.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"
#include "session/version.h"
#include "session/work_area.h"
#include "shell/execute_line.h"
#include "shell/regression.h"

namespace shell {

using session::allocate;
using session::automation;
using session::AutomationMode;
using session::CommandContext;
using session::errorStream;
using session::finishResults;
using session::kBuildNumber;
using session::kExitOnError;
using session::kProductVersion;
using session::kStoppedOnError;
using session::outputStream;
using session::release;
using session::releaseAll;
using session::releaseWorkArea;
using session::RunMode;
using session::runMode;
using session::SessionOptions;
using session::sessionOptions;
using session::SessionState;
using session::startJsonOutput;
using session::trackedNew;

namespace {

// Called while a request waits long: what earlier commands printed is
// written then, so a job's log shows it (and a kill does not lose it)
// while the answer is awaited.
void writePendingOutput() { std::fflush(nullptr); }

}  // namespace

CommandContext* startSession(const ProgramOptions& options) {
  automation = AutomationMode{options.json, options.quiet, options.yes};
  if (automation.json && !startJsonOutput()) {
    std::fprintf(stderr, "pelk: cannot set up the JSON output: %s\n",
                 platform::errorText(errno));
    return nullptr;
  }
  outputStream = stdout;
  sessionOptions = SessionOptions{};
  runMode = RunMode::kNone;
  auto* context = trackedNew<CommandContext>("quill_main", __LINE__);
  auto* session = trackedNew<SessionState>("quill_main", __LINE__);
  context->session = session;
  session->tallowFlags =
      static_cast<char*>(allocate(1, "quill_main", __LINE__));
  // Server operations may take long; the shell waits for every answer.
  EMClientAPITNGSetWaitForever(1);
  EMClientAPITNGSetRequestTimeout(
      static_cast<int>(requestBoundSeconds(options) * 1000));
  platform::installLongWaitHook(writePendingOutput);
  EMClientAPITNGSetTlsFiles(options.caFile, options.certFile, options.keyFile,
                            options.insecure ? 0 : 1);
  if (options.insecure) {
    std::fputs(
        "pelk: warning: --insecure: the certificates and names of managers "
        "reached over TLS are not checked\n",
        stderr);
  }
  if (!automation.quiet) {
    std::fprintf(outputStream, "\n\nPELK Build %s for tarnwick %s\n",
                 kBuildNumber, kProductVersion);
  }
  return context;
}

void shutDown(CommandContext& context) {
  SessionState& session = *context.session;
  bool stoppedOnError = (session.sessionFlags & kStoppedOnError) != 0;
  bool exitOnError = (session.sessionFlags & kExitOnError) != 0;
  int signal = platform::endingSignal();
  if (signal != 0) {
    // A regression capture still running goes, being incomplete.
    checkCaptureWritten(session);
    std::fprintf(errorStream(), "\n%s", interruptionMessage().c_str());
  }

  releaseWorkArea(session);
  for (char* text :
       {session.managerAddress, session.systemName, session.systemId,
        session.userName, session.password, session.tallowFlags}) {
    release(text);
  }
  release(&session);
  release(&context);
  releaseAll();

  if (regressionTestRan()) {
    std::printf("\nTotal regression differences = %u",
                regressionDifferenceTotal());
  }
  if (automation.quiet) {
    // A job reads the text line by line: the last one ends too. Nobody
    // waits at the end of a job.
    std::fputc('\n', outputStream);
  } else if (signal == 0 &&
             ((stoppedOnError && !exitOnError) || regressionTestRan())) {
    // Nobody is left to press a key once a signal ended the session.
    std::fputs("\n\nPress return to exit", outputStream);
    platform::readKey();
  }
  EMClientAPITNGCloseConnections();
  // Last, so the reference holds all that went to it, as it always did.
  int captureFailed = finishCaptureAtExit();
  // The one place where the output of every way out is pushed out.
  std::fflush(nullptr);
  int results = automation.quiet ? finishResults() : stoppedOnError ? 1 : 0;
  if (captureFailed != 0) results = 1;
  std::exit(signal != 0 ? 128 + signal : results);
}

}  // namespace shell
