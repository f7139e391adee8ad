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

using session::CommandContext;
using session::outputStream;

template <ObjectKind kind>
int showKind(CommandContext& context) {
  return ShowObjects(context, kind);
}

// The object just shown, for --json: the one asked for, or one of a list.
void recordDetail(const CommandContext& context, bool inList) {
  if (!session::recordingResults()) return;
  nlohmann::ordered_json object =
      ResponseJson(context.session->work.responseTree);
  if (inList) {
    session::appendResult(session::ResultKind::kObjects, std::move(object));
  } else {
    session::setResult(session::ResultKind::kObject, std::move(object));
  }
}

}  // namespace

int ShowObjectDetail(CommandContext& context,
                     const session::ObjectToken& token) {
  if (FetchObjects(context, static_cast<ObjectKind>(token.kind), token.id) !=
      0) {
    return 1;
  }
  std::fprintf(outputStream,
               "\n%s information:", session::shownText(token.name).c_str());
  DisplayResponse(context, context.session->work.responseTree);
  return 0;
}

int ShowObjects(CommandContext& context, ObjectKind kind) {
  session::setResult(session::ResultKind::kKind, displayName(kind));
  if (RefreshTokenList(context, kind) != 0) return 1;
  session::SessionState& session = *context.session;
  if (session.work.objectNameArg != nullptr) {
    const session::ObjectToken* token =
        FindToken(context, kind, session.work.objectNameArg);
    if (token == nullptr) {
      std::fprintf(session::errorStream(), "\nError: %s not found",
                   session.work.objectNameArg);
      return 1;
    }
    session::setResult(session::ResultKind::kName, token->name);
    if (ShowObjectDetail(context, *token) != 0) return 1;
    recordDetail(context, false);
    return 0;
  }
  std::fputc('\n', outputStream);
  std::fputs(displayName(kind), outputStream);
  std::fputs(kind == kSystems ? " available on this Manager:"
                              : " available on this Cell:",
             outputStream);
  bool full = (session.work.resultFlags & session::kFullDisplay) != 0;
  bool any = false;
  if (session::recordingResults()) {
    session::setResult(session::ResultKind::kObjects,
                       nlohmann::ordered_json::array());
  }
  for (const session::ObjectToken* token = session.tokenList; token != nullptr;
       token = token->next) {
    if (token->kind != kind) continue;
    any = true;
    if (!full) {
      std::fputs("\n  ", outputStream);
      session::putShown(token->name);
      session::appendResult(session::ResultKind::kObjects, token->name);
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
session::ParseStatus installShow(CommandContext& context) {
  context.session->work.finalHandler = showKind<kind>;
  return session::ParseOk;
}

template session::ParseStatus installShow<kSystems>(CommandContext&);
template session::ParseStatus installShow<kDisks>(CommandContext&);
template session::ParseStatus installShow<kFolders>(CommandContext&);
template session::ParseStatus installShow<kHosts>(CommandContext&);
template session::ParseStatus installShow<kMonitors>(CommandContext&);
template session::ParseStatus installShow<kVdisks>(CommandContext&);
template session::ParseStatus installShow<kLuns>(CommandContext&);
template session::ParseStatus installShow<kDiskGroups>(CommandContext&);
template session::ParseStatus installShow<kDiskEvents>(CommandContext&);
template session::ParseStatus installShow<kManagementEvents>(CommandContext&);
template session::ParseStatus installShow<kWorldWideNames>(CommandContext&);
template session::ParseStatus installShow<kPower>(CommandContext&);
template session::ParseStatus installShow<kDrGroups>(CommandContext&);

session::ParseStatus setFullDisplay(CommandContext& context) {
  context.session->work.resultFlags |= session::kFullDisplay;
  return session::ParseOk;
}

session::ParseStatus clearFullDisplay(CommandContext& context) {
  context.session->work.resultFlags &= ~session::kFullDisplay;
  return session::ParseOk;
}

}  // namespace request
