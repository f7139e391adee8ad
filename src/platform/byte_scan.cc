#include "platform/byte_scan.h"

namespace platform {
namespace {

// How often a byte is met in requests and answers: markup characters most
// (3); lower-case letters and the zeros and ones of identifiers less (2);
// the capitals that begin common tag names ("<Name>", "<ID>", "<SOAP:")
// and the other digits less again (1); everything else least (0).
struct Commonness {
  uint8_t of[256] = {};
  constexpr Commonness() {
    for (char c : std::string_view("ABDEINOPST23456789")) {
      of[static_cast<unsigned char>(c)] = 1;
    }
    for (int c = 'a'; c <= 'z'; ++c) of[c] = 2;
    of[static_cast<unsigned char>('0')] = 2;
    of[static_cast<unsigned char>('1')] = 2;
    for (char c : {'<', '>', '/', ' ', '=', '"', ':', '\n'}) {
      of[static_cast<unsigned char>(c)] = 3;
    }
  }
};
constexpr Commonness kCommonness;

std::size_t leastCommonByte(std::string_view marker) {
  std::size_t anchor = 0;
  uint8_t best = kCommonness.of[static_cast<unsigned char>(marker[0])];
  for (std::size_t i = 1; i < marker.size() && best > 0; ++i) {
    uint8_t rank = kCommonness.of[static_cast<unsigned char>(marker[i])];
    if (rank < best) {
      best = rank;
      anchor = i;
    }
  }
  return anchor;
}

}  // namespace

// Markers mostly begin with '<', which a text holds every few bytes: the
// scan looks for the marker's least common byte instead, and compares the
// whole marker only where that byte is.
std::size_t findMarker(std::string_view text, std::string_view marker,
                       std::size_t from) {
  if (from > text.size()) return kNotFound;
  if (marker.empty()) return from;
  if (text.size() - from < marker.size()) return kNotFound;
  std::size_t anchor = leastCommonByte(marker);
  const char* base = text.data();
  const char* at = base + from + anchor;
  const char* last = base + text.size() - marker.size() + anchor;
  while (at <= last) {
    at = static_cast<const char*>(std::memchr(
        at, marker[anchor], static_cast<std::size_t>(last - at) + 1));
    if (at == nullptr) return kNotFound;
    const char* start = at - anchor;
    if (std::memcmp(start, marker.data(), marker.size()) == 0) {
      return static_cast<std::size_t>(start - base);
    }
    ++at;
  }
  return kNotFound;
}

}  // namespace platform
