#include "request/manager_commands.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>

#include "client/emclient_api.h"
#include "platform/console.h"
#include "request/manager_address.h"
#include "request/preconditions.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

namespace request {
namespace {

using session::CommandContext;
using session::outputStream;

constexpr char kPasswordVariable[] = "PELK_PASSWORD";
constexpr int kStandardInput = 0;

// A password kept off the command line, where other users could read it:
// asked for at a terminal, else taken from the environment. False when
// neither gives one.
bool askForPassword(session::SessionState& session) {
  std::string typed;
  const char* given = nullptr;
  // A job (--quiet, --json) is never asked: its terminal may be nobody's.
  if (platform::isTerminal(kStandardInput) && !session::automation.quiet) {
    if (!platform::readHiddenLine("Password: ", typed)) return false;
    given = typed.c_str();
  } else {
    given = std::getenv(kPasswordVariable);
    if (given == nullptr) return false;
  }
  session.password =
      session::copyText(given, std::strlen(given), "quill_manager", __LINE__);
  return true;
}

int selectManager(CommandContext& context) {
  session::SessionState& session = *context.session;
  if (session.userName == nullptr) {
    std::fputs("\nError: Username must be specified on SELECT MANAGER",
               session::errorStream());
    return 1;
  }
  if (session.password == nullptr && !askForPassword(session)) {
    std::fputs("\nError: Password must be specified on SELECT MANAGER",
               session::errorStream());
    return 1;
  }
  const std::string address = session.work.objectNameArg;
  for (char** text :
       {&session.managerAddress, &session.systemName, &session.systemId}) {
    session::release(*text);
    *text = nullptr;
  }
  session.managerAddress = session::copyText(address.data(), address.size(),
                                             "quill_manager", __LINE__);
  // The library is told at once, so that no connection made the other way
  // is used for this manager.
  EMClientAPITNGSetTls(managerUsesTls(address) ? 1 : 0);
  return 0;
}

int showManager(CommandContext& context) {
  if (RequireManager(context) != 0) return 1;
  const session::SessionState& session = *context.session;
  std::fprintf(outputStream, "\nManager IP address %s", session.managerAddress);
  if (session.userName == nullptr) {
    std::fputs("\nNo username or password specified", outputStream);
  } else {
    std::fprintf(outputStream, "\nUsername: %s, %spassword specified",
                 session.userName, session.password != nullptr ? "" : "no ");
  }
  if (session::recordingResults()) {
    nlohmann::ordered_json userName = nullptr;
    if (session.userName != nullptr) userName = session.userName;
    session::setResult(session::ResultKind::kManager,
                       {{"address", session.managerAddress},
                        {"username", std::move(userName)},
                        {"password_specified", session.password != nullptr}});
  }
  return 0;
}

}  // namespace

// An address that cannot be used is refused before USERNAME= and PASSWORD=
// are read, so that the credentials meant for it never replace those of
// the manager already selected.
session::ParseStatus recordManagerAddress(CommandContext& context) {
  session::WorkArea& work = context.session->work;
  session::copyToken(context, work.objectNameArg);
  std::string address;
  std::string refusal;
  if (!completeManagerAddress(work.objectNameArg, address, refusal)) {
    std::fputs(refusal.c_str(), session::errorStream());
    return session::ParseFailed;
  }
  session::release(work.objectNameArg);
  work.objectNameArg = session::copyText(address.data(), address.size(),
                                         "quill_manager", __LINE__);
  work.finalHandler = selectManager;
  return session::ParseOk;
}

session::ParseStatus recordUserName(CommandContext& context) {
  session::copyToken(context, context.session->userName);
  return session::ParseOk;
}

session::ParseStatus recordPassword(CommandContext& context) {
  session::copyToken(context, context.session->password);
  return session::ParseOk;
}

session::ParseStatus installShowManager(CommandContext& context) {
  context.session->work.finalHandler = showManager;
  return session::ParseOk;
}

}  // namespace request
