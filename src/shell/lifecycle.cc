#include "shell/lifecycle.h"

#include <cstdlib>
#include <initializer_list>

#include "client/emclient_api.h"
#include "platform/console.h"
#include "shell/execute_line.h"
#include "shell/regression.h"
#include "shell/tracked_memory.h"
#include "shell/version.h"

namespace shell {

CommandContext& startSession() {
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
  std::fprintf(outputStream, "\n\nPELK Build %s for tarnwick %s\n", kBuildNumber,
               kProductVersion);
  return *context;
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
  if ((stoppedOnError && !exitOnError) || regressionTestRan()) {
    std::fputs("\n\nPress return to exit", outputStream);
    platform::readKey();
  }
  EMClientAPITNGCloseConnections();
  // Last, so the reference holds all that went to it, as it always did.
  int captureFailed = finishCaptureAtExit();
  std::fflush(nullptr);
  std::exit(stoppedOnError || captureFailed != 0 ? 1 : 0);
}

}  // namespace shell
