// Number texts from server answers and command values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace request {

// The leading unsigned number of `text` in `base` (2 to 16), after blanks;
// it saturates at the 32-bit maximum. 0, or 1 after printing that the text
// is not a number.
int ConvertNumber(uint32_t& result, const char* text, int base);

// A hexadecimal number of any length into `count` 32-bit words, the first
// word least significant. Leading blanks are skipped, '-' is ignored,
// letters may be in either case, and only blanks may follow the number.
// 0, or 1 for no words, an empty text, a bad character, or a value that
// does not fit. Prints nothing.
int ParseHexMask(const char* text, uint32_t* words, std::size_t count);

}  // namespace request
