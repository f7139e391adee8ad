#include "session/session.h"

#include <initializer_list>
#include <vector>

#include "session/tracked_memory.h"

namespace shell {

RunMode runMode = RunMode::kNone;
SessionOptions sessionOptions;

const char* promptName(const SessionState& session) {
  if (session.sessionFlags & (kRegressionCapture | kRegressionTesting)) {
    return "RegressionTest";
  }
  if (session.systemName != nullptr) return session.systemName;
  return "NoSystemSelected";
}

void releaseProperties(PendingProperty*& list) {
  while (list != nullptr) {
    PendingProperty* next = list->next;
    release(list->name);
    release(list->value);
    release(list);
    list = next;
  }
}

void releaseTree(ResponseNode*& root) {
  std::vector<ResponseNode*> pending;
  if (root != nullptr) pending.push_back(root);
  root = nullptr;
  while (!pending.empty()) {
    ResponseNode* node = pending.back();
    pending.pop_back();
    if (node->child != nullptr) pending.push_back(node->child);
    if (node->next != nullptr) pending.push_back(node->next);
    for (char* text :
         {node->name, node->value, node->categoryLabel, node->arrayLabel}) {
      release(text);
    }
    release(node);
  }
}

}  // namespace shell
