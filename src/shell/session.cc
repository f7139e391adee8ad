#include "shell/session.h"

#include <initializer_list>
#include <vector>

#include "shell/result_recorder.h"
#include "shell/tracked_memory.h"

namespace shell {

std::FILE* outputStream = stdout;
RunMode runMode = RunMode::kNone;
SessionOptions sessionOptions;

const char* promptName(const SessionState& session) {
  if (session.sessionFlags & (kRegressionCapture | kRegressionTesting)) {
    return "RegressionTest";
  }
  if (session.systemName != nullptr) return session.systemName;
  return "NoSystemSelected";
}

void markCommandFailed(SessionState& session) {
  noteFailure();
  if (session.sessionFlags & kStopOnError) {
    session.sessionFlags |= kStoppedOnError;
  } else {
    session.sessionFlags &= ~kStoppedOnError;
  }
}

// A property's name and value live in its own block.
void releaseProperties(PendingProperty*& list) {
  while (list != nullptr) {
    PendingProperty* next = list->next;
    release(list);
    list = next;
  }
}

void releaseTree(ResponseNode*& root) {
  release(root);
  root = nullptr;
}

}  // namespace shell
