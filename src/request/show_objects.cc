#include "request/show_objects.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "request/display.h"
#include "request/object_lookup.h"
#include "request/object_requests.h"
#include "request/response_json.h"
#include "request/token_list.h"
#include "session/result_recorder.h"
#include "session/shown_text.h"

namespace request {
namespace {

using shell::CommandContext;
using shell::outputStream;

template <ObjectKind kind>
int showKind(CommandContext& context) {
  return ShowObjects(context, kind);
}

// The object just shown, for --json: the one asked for, or one of a list.
void recordDetail(const CommandContext& context, bool inList) {
  if (!shell::recordingResults()) return;
  nlohmann::ordered_json object =
      ResponseJson(context.session->work.responseTree);
  if (inList) {
    shell::appendResult(shell::ResultKind::kObjects, std::move(object));
  } else {
    shell::setResult(shell::ResultKind::kObject, std::move(object));
  }
}

}  // namespace

int ShowObjectDetail(CommandContext& context, const shell::ObjectToken& token) {
  if (FetchObjects(context, static_cast<ObjectKind>(token.kind), token.id) !=
      0) {
    return 1;
  }
  std::fprintf(outputStream,
               "\n%s information:", shell::shownText(token.name).c_str());
  DisplayResponse(context, context.session->work.responseTree);
  return 0;
}

int ShowObjects(CommandContext& context, ObjectKind kind) {
  shell::setResult(shell::ResultKind::kKind, displayName(kind));
  if (RefreshTokenList(context, kind) != 0) return 1;
  shell::SessionState& session = *context.session;
  if (session.work.objectNameArg != nullptr) {
    const shell::ObjectToken* token =
        FindToken(context, kind, session.work.objectNameArg);
    if (token == nullptr) {
      std::fprintf(shell::errorStream(), "\nError: %s not found",
                   session.work.objectNameArg);
      return 1;
    }
    shell::setResult(shell::ResultKind::kName, token->name);
    if (ShowObjectDetail(context, *token) != 0) return 1;
    recordDetail(context, false);
    return 0;
  }
  std::fputc('\n', outputStream);
  std::fputs(displayName(kind), outputStream);
  std::fputs(kind == kSystems ? " available on this Manager:"
                              : " available on this Cell:",
             outputStream);
  bool full = (session.work.resultFlags & shell::kFullDisplay) != 0;
  bool any = false;
  if (shell::recordingResults()) {
    shell::setResult(shell::ResultKind::kObjects,
                     nlohmann::ordered_json::array());
  }
  for (const shell::ObjectToken* token = session.tokenList; token != nullptr;
       token = token->next) {
    if (token->kind != kind) continue;
    any = true;
    if (!full) {
      std::fputs("\n  ", outputStream);
      shell::putShown(token->name);
      shell::appendResult(shell::ResultKind::kObjects, token->name);
      continue;
    }
    if (ShowObjectDetail(context, *token) != 0) return 1;
    recordDetail(context, true);
    if (token->next != nullptr) std::fputc('\n', outputStream);
  }
  if (!any) std::fprintf(outputStream, "\n  No %s found", displayName(kind));
  return 0;
}

template <ObjectKind kind>
shell::ParseStatus installShow(CommandContext& context) {
  context.session->work.finalHandler = showKind<kind>;
  return shell::ParseOk;
}

template shell::ParseStatus installShow<kSystems>(CommandContext&);
template shell::ParseStatus installShow<kDisks>(CommandContext&);
template shell::ParseStatus installShow<kFolders>(CommandContext&);
template shell::ParseStatus installShow<kHosts>(CommandContext&);
template shell::ParseStatus installShow<kMonitors>(CommandContext&);
template shell::ParseStatus installShow<kVdisks>(CommandContext&);
template shell::ParseStatus installShow<kLuns>(CommandContext&);
template shell::ParseStatus installShow<kDiskGroups>(CommandContext&);
template shell::ParseStatus installShow<kDiskEvents>(CommandContext&);
template shell::ParseStatus installShow<kManagementEvents>(CommandContext&);
template shell::ParseStatus installShow<kWorldWideNames>(CommandContext&);
template shell::ParseStatus installShow<kPower>(CommandContext&);
template shell::ParseStatus installShow<kDrGroups>(CommandContext&);

shell::ParseStatus setFullDisplay(CommandContext& context) {
  context.session->work.resultFlags |= shell::kFullDisplay;
  return shell::ParseOk;
}

shell::ParseStatus clearFullDisplay(CommandContext& context) {
  context.session->work.resultFlags &= ~shell::kFullDisplay;
  return shell::ParseOk;
}

}  // namespace request
