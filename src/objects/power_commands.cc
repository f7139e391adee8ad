#include "objects/power_commands.h"

#include "request/object_requests.h"

namespace objects {
namespace {

using session::CommandContext;

constexpr FixedProperty kRestart{"Restart", "YES"};
constexpr FixedProperty kShutdown{"Restart", "NO"};

int setPower(CommandContext& context) {
  return request::SetObjectProperties(context, request::kPower);
}

int setMonitor(CommandContext& context) {
  return request::SetObjectProperties(context, request::kMonitors);
}

}  // namespace

session::ParseStatus installRestart(CommandContext& context) {
  putFixed<kRestart>(context);
  return install(context, setPower);
}

session::ParseStatus installShutdown(CommandContext& context) {
  putFixed<kShutdown>(context);
  return install(context, setPower);
}

session::ParseStatus installSetMonitor(CommandContext& context) {
  return install(context, setMonitor);
}

}  // namespace objects
