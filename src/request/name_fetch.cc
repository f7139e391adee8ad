#include "request/name_fetch.h"

#include "request/pending_properties.h"
#include "request/quick_exchange.h"
#include "request/request_envelope.h"
#include "session/work_area.h"

namespace request {

bool fetchObjectNames(session::CommandContext& context, ObjectKind kind,
                      std::vector<std::string>& names) {
  session::SessionState& session = *context.session;
  if (session.managerAddress == nullptr || session.userName == nullptr ||
      session.password == nullptr ||
      (kind != kSystems && session.systemId == nullptr)) {
    return false;
  }
  // The request is built in a work area of its own: a line is being typed,
  // and the session's belongs to the commands.
  session::WorkArea kept = session.work;
  session.work = session::WorkArea{};
  BeginV1Request(context, "Get", elementType(kind));
  if (kind != kSystems) PutProperty(context, "ElementID", session.systemId);
  PutProperty(context, "ID", "");
  EmitV1Properties(context);
  EndV1Request(context);
  std::string answer;
  bool answered = quickExchange(session.work.requestBuffer, answer) == 0;
  session::releaseWorkArea(session);
  session.work = kept;
  if (answered) readListedNames(answer, names);
  return answered;
}

// Element names end where the response parser ends them: at a blank, '='
// or '>'; the text runs to the next '<'.
void readListedNames(std::string_view answer, std::vector<std::string>& names) {
  for (std::size_t open = answer.find('<'); open != std::string_view::npos;
       open = answer.find('<', open + 1)) {
    std::string_view tag = answer.substr(open + 1);
    std::string_view element = tag.substr(0, tag.find_first_of(" =>"));
    if (element != "Name" && element != "ElementName") continue;
    std::size_t textStart = tag.find('>');
    std::size_t textEnd = tag.find('<', textStart);
    if (textEnd == std::string_view::npos) return;
    std::string_view text = tag.substr(textStart + 1, textEnd - textStart - 1);
    if (!text.empty()) names.emplace_back(text);
  }
}

}  // namespace request
