// Plain-text marker searches over request and answer texts: the first
// occurrence, case-sensitive. No search ever yields a negative span: an end
// marker is looked for only after its start marker.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/byte_scan.h"

namespace emclient {

// Where a marker first occurs at or after a position, or kNotFound.
using platform::findMarker;
using platform::kNotFound;

inline bool contains(std::string_view text, std::string_view marker) {
  return findMarker(text, marker) != kNotFound;
}

// The half-open range [begin, end) of a text enclosed by two markers.
struct Span {
  std::size_t begin;
  std::size_t end;
};

// The text after the first `open` (at or after `from`) up to the next
// `close` after it; nullopt when either is missing.
std::optional<Span> findBetween(std::string_view text, std::string_view open,
                                std::string_view close, std::size_t from = 0);

// The text of findBetween, or nullopt.
std::optional<std::string_view> textBetween(std::string_view text,
                                            std::string_view open,
                                            std::string_view close);

// Every occurrence of `from` replaced by `to`, left to right.
std::string replaceAll(std::string_view text, std::string_view from,
                       std::string_view to);

// The value of the leading decimal digits after optional blanks and an
// optional sign, like atoi; 0 when there are none. Values beyond the int
// range are clamped.
long long leadingNumber(std::string_view text);

// `text` with "&", "<" and ">" written as entities, "&" first, so a value
// the request layer already escaped survives the server's parse of an
// envelope around it.
std::string escapeMarkup(std::string_view text);

// The size that takes, and the same appended to `out` by one who knows
// that size already.
std::size_t escapedSize(std::string_view text);
void appendEscaped(std::string& out, std::string_view text,
                   std::size_t escapedSize);

}  // namespace emclient
