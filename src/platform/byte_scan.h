// Byte scanning over request and answer texts: sixteen bytes matched at
// once against one byte or three, the searches built on that, short
// comparisons a word at a time, and the search for a marker. This is the
// one header that names a processor feature: where SSE2 is missing, or
// PELK_PORTABLE_SCAN is defined (-DPELK_PORTABLE_SCAN=ON), a block is
// matched byte by byte and every search gives the same results.
#pragma once

#if defined(__SSE2__) && !defined(PELK_PORTABLE_SCAN)
#include <emmintrin.h>
#define PELK_SCAN_WITH_SSE2 1
#endif

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace platform {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// Bit i is set where byte i of the 16 bytes at `bytes` is `wanted`.
inline unsigned matchingBytes16(const char* bytes, char wanted) {
#if defined(PELK_SCAN_WITH_SSE2)
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
#if defined(PELK_SCAN_WITH_SSE2)
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

// The first `wanted` in [from, end), or nullptr. Spans between markup
// characters are short: the first few bytes are looked at one by one, and
// a longer span a block of sixteen at a time while that many are left.
inline const char* findChar(const char* from, const char* end, char wanted) {
  const char* p = from;
  for (const char* stop = end - p > 8 ? p + 8 : end; p < stop; ++p) {
    if (*p == wanted) return p;
  }
  for (; end - p >= 16; p += 16) {
    unsigned found = matchingBytes16(p, wanted);
    if (found != 0) return p + std::countr_zero(found);
  }
  for (; p < end; ++p) {
    if (*p == wanted) return p;
  }
  return nullptr;
}

// The first of `a`, `b` and `c` in [from, end), or nullptr.
inline const char* findAny(const char* from, const char* end, char a, char b,
                           char c) {
  const char* p = from;
  for (; end - p >= 16; p += 16) {
    unsigned found = matchingBytes16(p, a, b, c);
    if (found != 0) return p + std::countr_zero(found);
  }
  for (; p < end; ++p) {
    if (*p == a || *p == b || *p == c) return p;
  }
  return nullptr;
}

// Names are a few bytes long: compared in line, without a library call, a
// word at a time (the first and the last word overlap when they must).
template <typename Word>
inline bool sameWords(const char* a, const char* b, std::size_t length) {
  Word x, y, xEnd, yEnd;
  std::memcpy(&x, a, sizeof(Word));
  std::memcpy(&y, b, sizeof(Word));
  std::memcpy(&xEnd, a + length - sizeof(Word), sizeof(Word));
  std::memcpy(&yEnd, b + length - sizeof(Word), sizeof(Word));
  return x == y && xEnd == yEnd;
}

// Whether the `length` bytes at `a` and at `b` are the same.
inline bool sameBytes(const char* a, const char* b, std::size_t length) {
  if (length > 16) return std::memcmp(a, b, length) == 0;
  if (length >= 8) return sameWords<uint64_t>(a, b, length);
  if (length >= 4) return sameWords<uint32_t>(a, b, length);
  for (std::size_t i = 0; i < length; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// Where `marker` first occurs in `text` at or after `from`, or kNotFound;
// an empty marker is found at `from` (when that lies within the text).
std::size_t findMarker(std::string_view text, std::string_view marker,
                       std::size_t from = 0);

}  // namespace platform

#undef PELK_SCAN_WITH_SSE2
