#include "session/fatal_stop.h"

#include <cstdio>
#include <cstdlib>

#include "platform/console.h"
#include "session/output.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"

namespace session {
namespace {

FatalStopCleanup fatalStopCleanup = nullptr;

}  // namespace

[[noreturn]] void fatalStop() {
  if (fatalStopCleanup != nullptr) {
    FatalStopCleanup cleanup = fatalStopCleanup;
    fatalStopCleanup = nullptr;  // a cleanup that fails fatally runs once
    cleanup();
  }
  releaseAll();
  if (automation.quiet) {
    // Nobody waits at the end of a job; the lines still open report why.
    abandonLineResults();
    finishResults();
    std::exit(1);
  }
  std::fputs("\n\nPress return to exit", outputStream);
  platform::readKey();
  std::exit(1);
}

void setFatalStopCleanup(FatalStopCleanup cleanup) {
  fatalStopCleanup = cleanup;
}

}  // namespace session
