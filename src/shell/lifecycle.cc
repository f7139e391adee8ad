#include "shell/lifecycle.h"

#include <cerrno>
#include <cstdlib>
#include <initializer_list>

#include "client/emclient_api.h"
#include "platform/console.h"
#include "platform/files.h"
#include "shell/execute_line.h"
#include "shell/regression.h"
#include "shell/result_recorder.h"
#include "shell/tracked_memory.h"
#include "shell/version.h"

namespace shell {

CommandContext* startSession() {
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
  } else if ((stoppedOnError && !exitOnError) || regressionTestRan()) {
    std::fputs("\n\nPress return to exit", outputStream);
    platform::readKey();
  }
  EMClientAPITNGCloseConnections();
  std::fflush(nullptr);
  std::exit(automation.quiet ? finishResults() : (stoppedOnError ? 1 : 0));
}

}  // namespace shell
