// Plain-text marker searches over request and answer texts: the first
// occurrence, case-sensitive. No search ever yields a negative span: an end
// marker is looked for only after its start marker.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The size that takes, and the same appended to `out` by one who knows
// that size already.
std::size_t escapedSize(std::string_view text);
void appendEscaped(std::string& out, std::string_view text,
                   std::size_t escapedSize);

// Bit i is set where byte i of the 16 bytes at `bytes` is `wanted`.
inline unsigned matchingBytes16(const char* bytes, char wanted) {
#if defined(__SSE2__)
  __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(wanted))));
#else
  unsigned found = 0;
  for (unsigned i = 0; i < 16; ++i) {
    if (bytes[i] == wanted) found |= 1u << i;
  }
  return found;
#endif
}

// Bit i is set where byte i of the 16 bytes at `bytes` is `a`, `b` or `c`:
// texts with markup every few bytes are scanned a block at a time.
inline unsigned matchingBytes16(const char* bytes, char a, char b, char c) {
#if defined(__SSE2__)
  __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  __m128i found =
      _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(a)),
                                _mm_cmpeq_epi8(block, _mm_set1_epi8(b))),
                   _mm_cmpeq_epi8(block, _mm_set1_epi8(c)));
  return static_cast<unsigned>(_mm_movemask_epi8(found));
#else
  unsigned found = 0;
  for (unsigned i = 0; i < 16; ++i) {
    if (bytes[i] == a || bytes[i] == b || bytes[i] == c) found |= 1u << i;
  }
  return found;
#endif
}

}  // namespace emclient
