#include "capture/object_iteration.h"

#include <cstring>

#include "request/object_lookup.h"
#include "session/output.h"

namespace capture {
namespace {

using request::ObjectKind;
using session::ObjectToken;

// Listed folder names end in a backslash: \Virtual Disks\A\ lies at
// depth 3 and its sub-folders at 4.
constexpr int kFirstFolderDepth = 3;

int backslashCount(const char* name) {
  int count = 0;
  for (; *name != '\0'; ++name) count += *name == '\\' ? 1 : 0;
  return count;
}

void markProgress(CaptureWriter& writer) {
  if (!writer.toFile) return;
  std::fputs(writer.progressCount % 60 == 0 ? "\n." : ".",
             session::outputStream);
  // A mark is worth showing only when it is made, at a terminal too.
  std::fflush(session::outputStream);
  ++writer.progressCount;
}

int writeObject(CaptureWriter& writer, ObjectKind kind,
                const ObjectToken& token, int index, ObjectWriter write) {
  session::ResponseNode* details = nullptr;
  if (fetchDetails(writer, kind, token.id, details) != 0) return 1;
  int result = write(writer, details, index);
  session::releaseTree(details);
  return result;
}

// One pass over the kind's tokens; `depth` 0 takes every token. Sets
// `taken` to the number of objects written.
int pass(CaptureWriter& writer, ObjectKind kind, int depth, int& index,
         int& taken, ObjectWriter write) {
  const session::SessionState& session = *writer.context->session;
  taken = 0;
  for (const ObjectToken* token = session.tokenList; token != nullptr;
       token = token->next) {
    if (token->kind != kind) continue;
    if (kind == request::kSystems &&
        std::strcmp(token->name, session.systemName) != 0) {
      continue;
    }
    if (depth != 0 && backslashCount(token->name) != depth) continue;
    markProgress(writer);
    if (writeObject(writer, kind, *token, index, write) != 0) return 1;
    ++index;
    ++taken;
  }
  return 0;
}

}  // namespace

int fetchDetails(CaptureWriter& writer, ObjectKind kind, const char* id,
                 session::ResponseNode*& details) {
  session::WorkArea& work = writer.context->session->work;
  int result = request::FetchObjects(*writer.context, kind, id);
  details = work.responseTree;
  work.responseTree = nullptr;
  if (result != 0) session::releaseTree(details);
  return result;
}

int forEachObject(CaptureWriter& writer, ObjectKind kind, ObjectWriter write) {
  if (request::RefreshTokenList(*writer.context, kind) != 0) return 1;
  int index = 0;
  int taken = 0;
  if (kind != request::kFolders) {
    return pass(writer, kind, 0, index, taken, write);
  }
  for (int depth = kFirstFolderDepth;; ++depth) {
    if (pass(writer, kind, depth, index, taken, write) != 0) return 1;
    if (taken == 0) return 0;
  }
}

}  // namespace capture
