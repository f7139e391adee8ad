#include "request/name_checks.h"

#include <cstdio>
#include <cstring>

namespace request {
namespace {

constexpr char kForbidden[] = "?\"/\\<>*|:&+,%";

// The line is echoed after the prompt name and "> ", so the character at
// offset n of the line stands in that column plus n.
void printCaret(const shell::CommandContext& context, const char* at) {
  int column =
      static_cast<int>(std::strlen(shell::promptName(*context.session))) + 2 +
      static_cast<int>(at - context.lineStart);
  std::fprintf(shell::outputStream, "%*s^", column, "");
}

}  // namespace

int ValidateName(shell::CommandContext& context, const char* text,
                 std::size_t length) {
  if (length > kNameLimit) {
    std::fprintf(shell::outputStream,
                 "\nError: Name too long, limit %u characters",
                 static_cast<unsigned>(kNameLimit));
    return 1;
  }
  return ValidateText(context, text, length, "name");
}

int ValidateText(shell::CommandContext& context, const char* text,
                 std::size_t length, const char* what) {
  for (std::size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (c < 0x20 || c > 0x7E) {
      printCaret(context, text + i);
      std::fprintf(shell::outputStream,
                   "\nError: Invalid non-printable character in %s at or "
                   "near here",
                   what);
      return 1;
    }
    if (std::strchr(kForbidden, c) != nullptr) {
      printCaret(context, text + i);
      std::fprintf(shell::outputStream,
                   "\nError: Invalid character \"%c\" in %s at or near here", c,
                   what);
      return 1;
    }
  }
  return 0;
}

}  // namespace request
