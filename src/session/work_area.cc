#include "session/work_area.h"

#include <cstdio>
#include <initializer_list>

#include "session/output.h"
#include "session/tracked_memory.h"

namespace session {

void copyToken(CommandContext& context, char*& slot) {
  release(slot);
  slot = copyText(context.tokenStart, context.tokenLength, "quill_support",
                  __LINE__);
}

int reportIncompleteCommand(CommandContext&) {
  std::fputs(kIncompleteCommand, errorStream());
  return 1;
}

void releaseWorkArea(SessionState& session) {
  WorkArea& work = session.work;
  for (char** text :
       {&work.currentLabel, &work.objectNameArg, &work.newNameArg,
        &work.folderPath, &work.captureFileArg, &work.diskGroupArg,
        &work.sourceVdiskArg, &work.hostNameArg, &work.vdiskNameArg,
        &work.destinationSystemArg, &work.destinationGroupArg,
        &work.deleteDiskArg, &work.requestBuffer, &work.responseText}) {
    release(*text);
    *text = nullptr;
  }
  work.currentOperation = nullptr;
  releaseProperties(work.pendingProperties);
  releaseTree(work.responseTree);
}

}  // namespace session
