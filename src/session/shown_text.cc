#include "session/shown_text.h"

#include <algorithm>

#include "platform/console.h"

namespace session {
namespace {

constexpr char kDelete = 0x7F;

bool isHidden(char c) {
  return (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') ||
         c == kDelete;
}

}  // namespace

std::string shownText(std::string_view text, std::FILE* stream) {
  // The terminal is asked about only when there is something to show.
  if (std::none_of(text.begin(), text.end(), isHidden) ||
      !platform::isTerminal(fileno(stream))) {
    return std::string(text);
  }
  std::string shown;
  shown.reserve(text.size() + 8);
  for (char c : text) {
    if (!isHidden(c)) {
      shown += c;
    } else {
      shown += '^';
      shown += c == kDelete ? '?' : static_cast<char>(c + '@');
    }
  }
  return shown;
}

void putShown(std::string_view text, std::FILE* stream) {
  if (std::none_of(text.begin(), text.end(), isHidden)) {
    std::fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  std::string shown = shownText(text, stream);
  std::fwrite(shown.data(), 1, shown.size(), stream);
}

}  // namespace session
