#include "session/session.h"

#include "session/tracked_memory.h"

namespace session {

RunMode runMode = RunMode::kNone;
SessionOptions sessionOptions;

const char* promptName(const SessionState& session) {
  if (session.sessionFlags & (kRegressionCapture | kRegressionTesting)) {
    return "RegressionTest";
  }
  if (session.systemName != nullptr) return session.systemName;
  return "NoSystemSelected";
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

}  // namespace session
