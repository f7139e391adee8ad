#include "objects/host_commands.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "request/numbers.h"
#include "request/object_requests.h"
#include "request/preconditions.h"

namespace objects {
namespace {

using session::CommandContext;

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

session::ParseStatus installAddHost(CommandContext& context) {
  request::PutProperty(context, "StorageClientMode", "0");
  return install(context, addHost);
}

session::ParseStatus installSetHost(CommandContext& context) {
  return install(context, setHost);
}

session::ParseStatus installDeleteHost(CommandContext& context) {
  return install(context, deleteHost);
}

session::ParseStatus recordHostAddress(CommandContext& context) {
  request::PutPropertyN(context, "StorageClientIP", context.tokenStart,
                        context.tokenLength);
  return session::ParseOk;
}

session::ParseStatus recordCustomMode(CommandContext& context) {
  std::size_t prefix = sizeof kCustomPrefix - 1;
  char* mode = static_cast<char*>(session::allocate(
      prefix + context.tokenLength + 1, "quill_host", __LINE__));
  std::memcpy(mode, kCustomPrefix, prefix);
  std::memcpy(mode + prefix, context.tokenStart, context.tokenLength);
  uint32_t mask[kMaskWords];
  if (request::ParseHexMask(mode + prefix, mask, kMaskWords) != 0) {
    session::release(mode);
    std::fputs("\nError: Custom OS mask illegal", session::errorStream());
    return session::ParseFailed;
  }
  request::PutProperty(context, "StorageClientMode", mode);
  session::release(mode);
  return session::ParseOk;
}

session::ParseStatus recordAdapter(CommandContext& context) {
  request::AddPropertyN(context, "StorageClientAdapterID", context.tokenStart,
                        context.tokenLength);
  return session::ParseOk;
}

}  // namespace objects
