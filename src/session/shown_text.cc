#include "session/shown_text.h"

#include <algorithm>
#include <cstdio>

#include "platform/console.h"

namespace session {
namespace {

constexpr unsigned char kDelete = 0x7F;

bool isC0Control(unsigned char c) {
  return (c < 0x20 && c != '\t' && c != '\n') || c == kDelete;
}

// A C1 control as one byte, or a byte of its UTF-8 encoding (C2 80 to
// C2 9F) or of a direction override's (E2 80 AA to E2 81 A9): only a text
// holding one of these may need showing.
bool mayNeedShowing(char c) {
  auto byte = static_cast<unsigned char>(c);
  return isC0Control(byte) || (byte >= 0x80 && byte <= 0x9F);
}

// Characters a terminal acts on: the C1 controls, and the direction
// embeddings, overrides and isolates, which reorder what follows them so
// that a name reads as another.
enum class Form { kMetaCaret, kCodePoint };
struct ShownRange {
  char32_t first;
  char32_t last;
  Form form;
};
constexpr ShownRange kShownRanges[] = {
    {0x80, 0x9F, Form::kMetaCaret},
    {0x202A, 0x202E, Form::kCodePoint},
    {0x2066, 0x2069, Form::kCodePoint},
};

// The character of the valid UTF-8 sequence at the start of `text`, and
// how many bytes it takes; 0 bytes when there is none (a stray byte, an
// overlong form, a surrogate, a sequence cut short).
struct Decoded {
  char32_t point;
  std::size_t length;
};

// The lead bytes of UTF-8 sequences of two to four bytes, the value bits
// each keeps, and the least character each may encode (less is overlong).
struct Utf8Lead {
  unsigned char first;
  unsigned char last;
  std::size_t length;
  unsigned char bits;
  char32_t least;
};
constexpr Utf8Lead kUtf8Leads[] = {
    {0xC2, 0xDF, 2, 0x1F, 0x80},
    {0xE0, 0xEF, 3, 0x0F, 0x800},
    {0xF0, 0xF4, 4, 0x07, 0x10000},
};

Decoded decodeUtf8(std::string_view text) {
  auto lead = static_cast<unsigned char>(text[0]);
  for (const Utf8Lead& form : kUtf8Leads) {
    if (lead < form.first || lead > form.last) continue;
    if (text.size() < form.length) return {0, 0};
    char32_t point = lead & form.bits;
    for (std::size_t i = 1; i < form.length; ++i) {
      auto next = static_cast<unsigned char>(text[i]);
      if ((next & 0xC0) != 0x80) return {0, 0};
      point = (point << 6) | (next & 0x3F);
    }
    if (point < form.least || point > 0x10FFFF ||
        (point >= 0xD800 && point <= 0xDFFF)) {
      return {0, 0};
    }
    return {point, form.length};
  }
  return {0, 0};
}

const ShownRange* shownRange(char32_t point) {
  for (const ShownRange& range : kShownRanges) {
    if (point >= range.first && point <= range.last) return &range;
  }
  return nullptr;
}

void appendShown(std::string& shown, char32_t point, Form form) {
  if (form == Form::kMetaCaret) {
    // As C0 controls are shown, with "M-" for the high bit: 0x9B is M-^[.
    shown += "M-^";
    shown += static_cast<char>(point - 0x80 + '@');
    return;
  }
  char text[16];
  std::snprintf(text, sizeof text, "<U+%04X>", static_cast<unsigned>(point));
  shown += text;
}

}  // namespace

std::string shownText(std::string_view text, std::FILE* stream) {
  // The terminal is asked about only when there is something to show.
  if (std::none_of(text.begin(), text.end(), mayNeedShowing) ||
      !platform::isTerminal(fileno(stream))) {
    return std::string(text);
  }
  std::string shown;
  shown.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (isC0Control(c)) {
        shown += '^';
        shown += c == kDelete ? '?' : static_cast<char>(c + '@');
      } else {
        shown += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    Decoded decoded = decodeUtf8(text.substr(i));
    if (decoded.length == 0) {
      // A byte that is not UTF-8 is text of some other encoding, unless it
      // is a C1 control itself.
      if (c <= 0x9F) {
        appendShown(shown, c, Form::kMetaCaret);
      } else {
        shown += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    if (const ShownRange* range = shownRange(decoded.point)) {
      appendShown(shown, decoded.point, range->form);
    } else {
      shown.append(text.substr(i, decoded.length));
    }
    i += decoded.length;
  }
  return shown;
}

void putShown(std::string_view text, std::FILE* stream) {
  if (std::none_of(text.begin(), text.end(), mayNeedShowing)) {
    std::fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  std::string shown = shownText(text, stream);
  std::fwrite(shown.data(), 1, shown.size(), stream);
}

}  // namespace session
