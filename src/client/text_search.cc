#include "client/text_search.h"

#include <cstdint>
#include <limits>

namespace emclient {

std::optional<Span> findBetween(std::string_view text, std::string_view open,
                                std::string_view close, std::size_t from) {
  std::size_t start = findMarker(text, open, from);
  if (start == kNotFound) return std::nullopt;
  std::size_t begin = start + open.size();
  std::size_t end = findMarker(text, close, begin);
  if (end == kNotFound) return std::nullopt;
  return Span{begin, end};
}

std::optional<std::string_view> textBetween(std::string_view text,
                                            std::string_view open,
                                            std::string_view close) {
  std::optional<Span> span = findBetween(text, open, close);
  if (!span) return std::nullopt;
  return text.substr(span->begin, span->end - span->begin);
}

std::string replaceAll(std::string_view text, std::string_view from,
                       std::string_view to) {
  std::string result;
  result.reserve(text.size());
  std::size_t position = 0;
  for (std::size_t found = text.find(from); found != kNotFound;
       found = text.find(from, position)) {
    result.append(text.substr(position, found - position));
    result.append(to);
    position = found + from.size();
  }
  result.append(text.substr(position));
  return result;
}

long long leadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    negative = text[at] == '-';
    ++at;
  }
  constexpr long long kLimit = std::numeric_limits<int>::max();
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > kLimit) value = kLimit;
  }
  return negative ? -value : value;
}

namespace {

// The entity of each byte that needs one, nullptr for the rest.
struct Entities {
  const char* text[256] = {};
  uint8_t extra[256] = {};  // bytes beyond the one replaced
  constexpr Entities() {
    text['&'] = "&amp;";
    text['<'] = "&lt;";
    text['>'] = "&gt;";
    extra['&'] = 4;
    extra['<'] = 3;
    extra['>'] = 3;
  }
};
constexpr Entities kEntities;

}  // namespace

std::size_t escapedSize(std::string_view text) {
  std::size_t size = text.size();
  for (char c : text) size += kEntities.extra[static_cast<unsigned char>(c)];
  return size;
}

// Writes into room made beforehand: a request's payload has markup in
// every few bytes, and an append per entity would cost more than the rest.
void appendEscaped(std::string& out, std::string_view text) {
  std::size_t at = out.size();
  out.resize(at + escapedSize(text));
  char* write = out.data() + at;
  for (char c : text) {
    const char* entity = kEntities.text[static_cast<unsigned char>(c)];
    if (entity == nullptr) {
      *write++ = c;
    } else {
      while (*entity != '\0') *write++ = *entity++;
    }
  }
}

std::string escapeMarkup(std::string_view text) {
  std::string escaped;
  appendEscaped(escaped, text);
  return escaped;
}

}  // namespace emclient
