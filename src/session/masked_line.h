// A command line as it is written where others may read it (the output of
// a job, its error messages): each password in it replaced by a fixed
// mask, so neither the password nor its length shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace session {

inline constexpr std::string_view kPasswordMask = "********";

// A part of the line as given that the mask replaces.
struct MaskedSpan {
  std::size_t start;
  std::size_t length;
};

struct MaskedLine {
  std::string text;                // the line as written
  std::vector<MaskedSpan> masked;  // in line order; none when nothing is
};

// Where the character at `offset` of the line as given stands in the line
// as written, `masked` being its masked parts: one after a masked part
// moves by the difference of their lengths; one inside it stands at the
// mask's first character.
std::size_t shownOffset(const std::vector<MaskedSpan>& masked,
                        std::size_t offset);

}  // namespace session
