#include "session/masked_line.h"

namespace session {

std::size_t shownOffset(const std::vector<MaskedSpan>& masked,
                        std::size_t offset) {
  std::size_t shown = offset;
  for (const MaskedSpan& span : masked) {
    if (offset < span.start) break;
    if (offset < span.start + span.length) {
      return shown - (offset - span.start);
    }
    shown = shown - span.length + kPasswordMask.size();
  }
  return shown;
}

}  // namespace session
