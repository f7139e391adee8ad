#include "session/work_area.h"

#include <cstdio>
#include <initializer_list>
#include <vector>

#include "session/output.h"
#include "session/tracked_memory.h"

namespace shell {

void copyToken(CommandContext& context, char*& slot) {
  release(slot);
  slot = copyText(context.tokenStart, context.tokenLength, "quill_support",
                  __LINE__);
}

int reportIncompleteCommand(CommandContext&) {
  std::fputs(kIncompleteCommand, errorStream());
  return 1;
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

}  // namespace shell
