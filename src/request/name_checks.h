// Checks of the names and comments users type before they go into a
// request. Both print a caret under the offending character of the echoed
// command line, so `text` must be a slice of the line being parsed.
#pragma once

#include <cstddef>

#include "session/session.h"

namespace request {

inline constexpr std::size_t kNameLimit = 32;
inline constexpr std::size_t kCommentLimit = 128;

// 0, or 1 after printing why: longer than 32 characters, or a character
// ValidateText refuses.
int ValidateName(session::CommandContext& context, const char* text,
                 std::size_t length);

// 0, or 1 after printing the caret line and why: a control or non-ASCII
// character, or one of ?"/\<>*|:&+,% . `what` names the text in the
// message ("name", "comment").
int ValidateText(session::CommandContext& context, const char* text,
                 std::size_t length, const char* what);

}  // namespace request
