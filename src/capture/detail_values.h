// Reading the values of an object's details, as the writers need them.
#pragma once

#include <cstddef>

#include "session/session.h"

namespace capture {

// The value of the n-th element (from 1) named `tag`, ignoring case, in
// the order the server listed them, or nullptr when there are fewer. The
// rows of a repeated part (a host's adapters, a virtual disk's LUNs) come
// first to last, so a restored object gets them in the captured order.
const char* detailValue(const session::ResponseNode* details, const char* tag,
                        int n = 1);

// detailValue, but a missing or empty value prints why and gives nullptr.
const char* RequireToken(const session::ResponseNode* details, const char* tag,
                         int n = 1);

// One server text (compared ignoring case) and the keyword that restores it.
struct KeywordPair {
  const char* serverText;
  const char* keyword;
};

// The keyword of the first pair whose server text equals `value`; else
// prints the choices and gives nullptr.
const char* TranslateToKeyword(const char* value, const KeywordPair* pairs,
                               std::size_t count);

template <std::size_t N>
const char* TranslateToKeyword(const char* value,
                               const KeywordPair (&pairs)[N]) {
  return TranslateToKeyword(value, pairs, N);
}

}  // namespace capture
