// Text that came from the server, as it may be printed. At a terminal a
// name, value or message of the server's must not be able to steer the
// terminal (move the cursor, set the window title, program keys), so its
// control characters are shown instead of sent; files and pipes get the
// bytes as they are.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "session/output.h"

namespace session {

// `text` as it may be printed on `stream`: when that is a terminal, every
// control character but tab and line feed is written as ^X (ESC as ^[,
// DEL as ^?), a C1 control (a byte 0x80 to 0x9F that is not part of a
// UTF-8 character, or U+0080 to U+009F) as M-^X (0x9B as M-^[), and a
// direction embedding, override or isolate (U+202A to U+202E, U+2066 to
// U+2069) as <U+202E>; otherwise unchanged.
std::string shownText(std::string_view text, std::FILE* stream = outputStream);

// Writes shownText(text, stream) to `stream`, without a copy when the text
// shows as it is.
void putShown(std::string_view text, std::FILE* stream = outputStream);

}  // namespace session
