#include "request/preconditions.h"

namespace request {

int RequireManager(shell::CommandContext& context) {
  if (context.session->managerAddress != nullptr) return 0;
  std::fputs(
      "\nError: Command not valid until a manager is selected (SELECT "
      "MANAGER)",
      shell::errorStream());
  return 1;
}

int RequireSystem(shell::CommandContext& context) {
  if (RequireManager(context) != 0) return 1;
  if (context.session->systemId != nullptr) return 0;
  std::fputs(
      "\nError: Command not valid until a system is selected (SELECT SYSTEM)",
      shell::errorStream());
  return 1;
}

}  // namespace request
