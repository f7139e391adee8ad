#include "request/name_checks.h"

#include <cstdio>
#include <cstring>

#include "session/result_recorder.h"

namespace request {
namespace {

constexpr char kForbidden[] = "?\"/\\<>*|:&+,%";

void printCaret(const session::CommandContext& context, const char* at) {
  session::printCaret(context,
                      static_cast<std::size_t>(at - context.lineStart));
}

}  // namespace

int ValidateName(session::CommandContext& context, const char* text,
                 std::size_t length) {
  if (length > kNameLimit) {
    std::fprintf(session::errorStream(),
                 "\nError: Name too long, limit %u characters",
                 static_cast<unsigned>(kNameLimit));
    return 1;
  }
  return ValidateText(context, text, length, "name");
}

int ValidateText(session::CommandContext& context, const char* text,
                 std::size_t length, const char* what) {
  for (std::size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (c < 0x20 || c > 0x7E) {
      printCaret(context, text + i);
      std::fprintf(session::errorStream(),
                   "\nError: Invalid non-printable character in %s at or "
                   "near here",
                   what);
      return 1;
    }
    if (std::strchr(kForbidden, c) != nullptr) {
      printCaret(context, text + i);
      std::fprintf(session::errorStream(),
                   "\nError: Invalid character \"%c\" in %s at or near here", c,
                   what);
      return 1;
    }
  }
  return 0;
}

}  // namespace request
