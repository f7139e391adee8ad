#include "request/numbers.h"

#include <cstdio>

#include "session/output.h"
#include "session/shown_text.h"

namespace request {
namespace {

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int ConvertNumber(uint32_t& result, const char* text, int base) {
  const char* p = text;
  while (*p == ' ') ++p;
  uint64_t value = 0;
  const char* digits = p;
  for (int digit; (digit = digitValue(*p)) >= 0 && digit < base; ++p) {
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > UINT32_MAX) value = UINT32_MAX;
  }
  if (p == digits) {
    std::fprintf(session::errorStream(),
                 "\nError: Cannot convert %s to a number",
                 session::shownText(text).c_str());
    return 1;
  }
  result = static_cast<uint32_t>(value);
  return 0;
}

int ParseHexMask(const char* text, uint32_t* words, std::size_t count) {
  if (count == 0) return 1;
  for (std::size_t i = 0; i < count; ++i) words[i] = 0;
  const char* p = text;
  while (*p == ' ') ++p;
  if (*p == '\0') return 1;
  for (; *p != '\0' && *p != ' '; ++p) {
    if (*p == '-') continue;
    int digit = digitValue(*p);
    if (digit < 0) return 1;
    if (words[count - 1] & 0xF0000000u) return 1;
    for (std::size_t i = count - 1; i > 0; --i) {
      words[i] = (words[i] << 4) | (words[i - 1] >> 28);
    }
    words[0] = (words[0] << 4) | static_cast<uint32_t>(digit);
  }
  while (*p == ' ') ++p;
  return *p == '\0' ? 0 : 1;
}

}  // namespace request
