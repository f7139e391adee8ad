// Plain-text marker searches over request and answer texts: the first
// occurrence, case-sensitive. No search ever yields a negative span: an end
// marker is looked for only after its start marker.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace emclient {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// Where `marker` first occurs at or after `from`, or kNotFound.
std::size_t findMarker(std::string_view text, std::string_view marker,
                       std::size_t from = 0);

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

// The same appended to `out`, and the size it takes.
void appendEscaped(std::string& out, std::string_view text);
std::size_t escapedSize(std::string_view text);

// Bit i is set where byte i of the 16 bytes at `bytes` is `a`, `b` or `c`:
// texts with markup every few bytes are scanned a block at a time.
unsigned matchingBytes16(const char* bytes, char a, char b, char c);

}  // namespace emclient
