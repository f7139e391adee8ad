#include "objects/host_commands.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "request/numbers.h"
#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using shell::CommandContext;

constexpr char kCustomPrefix[] = "CUSTOM=";
constexpr std::size_t kMaskWords = 2;

int addHost(CommandContext& context) {
  if (request::RequireSystem(context) != 0) return 1;
  if (putFolderId(context) != 0) return 1;
  return sendCreate(context, "StorageClient");
}

int setHost(CommandContext& context) {
  return request::SetObjectProperties(context, request::kHosts);
}

int deleteHost(CommandContext& context) {
  return request::DeleteObject(context, request::kHosts);
}

}  // namespace

shell::ParseStatus installAddHost(CommandContext& context) {
  request::PutProperty(context, "StorageClientMode", "0");
  return install(context, addHost);
}

shell::ParseStatus installSetHost(CommandContext& context) {
  return install(context, setHost);
}

shell::ParseStatus installDeleteHost(CommandContext& context) {
  return install(context, deleteHost);
}

shell::ParseStatus recordHostAddress(CommandContext& context) {
  request::PutPropertyN(context, "StorageClientIP", context.tokenStart,
                        context.tokenLength);
  return shell::ParseOk;
}

shell::ParseStatus recordCustomMode(CommandContext& context) {
  std::size_t prefix = sizeof kCustomPrefix - 1;
  char* mode = static_cast<char*>(shell::allocate(
      prefix + context.tokenLength + 1, "quill_host", __LINE__));
  std::memcpy(mode, kCustomPrefix, prefix);
  std::memcpy(mode + prefix, context.tokenStart, context.tokenLength);
  uint32_t mask[kMaskWords];
  if (request::ParseHexMask(mode + prefix, mask, kMaskWords) != 0) {
    shell::release(mode);
    std::fputs("\nError: Custom OS mask illegal", shell::errorStream());
    return shell::ParseFailed;
  }
  request::PutProperty(context, "StorageClientMode", mode);
  shell::release(mode);
  return shell::ParseOk;
}

shell::ParseStatus recordAdapter(CommandContext& context) {
  request::AddPropertyN(context, "StorageClientAdapterID", context.tokenStart,
                        context.tokenLength);
  return shell::ParseOk;
}

}  // namespace objects
