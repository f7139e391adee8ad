#include "request/preconditions.h"

namespace request {

int RequireManager(session::CommandContext& context) {
  if (context.session->managerAddress != nullptr) return 0;
  std::fputs(
      "\nError: Command not valid until a manager is selected (SELECT "
      "MANAGER)",
      session::errorStream());
  return 1;
}

int RequireSystem(session::CommandContext& context) {
  if (RequireManager(context) != 0) return 1;
  if (context.session->systemId != nullptr) return 0;
  std::fputs(
      "\nError: Command not valid until a system is selected (SELECT SYSTEM)",
      session::errorStream());
  return 1;
}

}  // namespace request
