#include "client/text_search.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/byte_scan.h"

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

// For each byte, 0 when it stands for itself, else the number of its entity
// in kEntities.
struct EntityTable {
  uint8_t entity[256] = {};
  constexpr EntityTable() {
    entity[static_cast<unsigned char>('&')] = 1;
    entity[static_cast<unsigned char>('<')] = 2;
    entity[static_cast<unsigned char>('>')] = 3;
  }
};
constexpr EntityTable kEntityOf;
// Padded to eight bytes, so each is written with one store.
constexpr char kEntities[4][8] = {"", "&amp;", "&lt;", "&gt;"};
constexpr uint8_t kEntityLength[4] = {1, 5, 4, 4};

}  // namespace

std::size_t escapedSize(std::string_view text) {
  std::size_t size = text.size();
  std::size_t at = 0;
  // A block holds a few entities at most: counting its bits one by one is
  // cheaper than a population count without the processor's instruction.
  auto bits = [](unsigned mask) {
    std::size_t count = 0;
    for (; mask != 0; mask &= mask - 1) ++count;
    return count;
  };
  for (; at + 16 <= text.size(); at += 16) {
    const char* block = text.data() + at;
    size += 4 * bits(platform::matchingBytes16(block, '&')) +
            3 * bits(platform::matchingBytes16(block, '<', '>', '>'));
  }
  for (; at < text.size(); ++at) {
    size +=
        kEntityLength[kEntityOf.entity[static_cast<unsigned char>(text[at])]] -
        1;
  }
  return size;
}

// Writes into room made beforehand, with sixteen bytes to spare: a block
// without markup is copied whole, and a block with some is copied up to
// its first entity, whose text is written with one eight-byte store.
void appendEscaped(std::string& out, std::string_view text, std::size_t size) {
  std::size_t at = out.size();
  out.resize(at + size + 16);
  char* write = out.data() + at;
  const char* read = text.data();
  const char* end = read + text.size();
  while (end - read >= 16) {
    unsigned found = platform::matchingBytes16(read, '&', '<', '>');
    std::memcpy(write, read, 16);
    if (found == 0) {
      read += 16;
      write += 16;
      continue;
    }
    int plain = std::countr_zero(found);
    read += plain;
    write += plain;
    uint8_t entity = kEntityOf.entity[static_cast<unsigned char>(*read++)];
    std::memcpy(write, kEntities[entity], 8);
    write += kEntityLength[entity];
  }
  for (; read < end; ++read) {
    uint8_t entity = kEntityOf.entity[static_cast<unsigned char>(*read)];
    if (entity == 0) {
      *write++ = *read;
      continue;
    }
    std::memcpy(write, kEntities[entity], 8);
    write += kEntityLength[entity];
  }
  out.resize(at + size);
}

std::string escapeMarkup(std::string_view text) {
  std::string escaped;
  appendEscaped(escaped, text, escapedSize(text));
  return escaped;
}

}  // namespace emclient
