// The lines a capture writes: command lines built piece by piece, and
// comment lines. Every line written fits FILE's line limit, so whatever a
// capture reports as written replays.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "capture/capture_writer.h"

namespace capture {

// Starts the command line with its first word, as it is.
void startLine(CaptureWriter& writer, const char* firstWord);

// Appends a blank and the piece made of `parts`. A piece without a double
// quote is upper-cased; a piece with one is copied as it is, so quoted
// names and comments keep their case. A piece that would make the line
// longer than kLongestLine is not appended: the line so far is printed and
// 1 returned.
int appendPiece(CaptureWriter& writer,
                std::initializer_list<std::string_view> parts);

// The pieces the writers use: a word, KEY=value, "text" and KEY="text".
int appendWord(CaptureWriter& writer, std::string_view word);
int appendSetting(CaptureWriter& writer, std::string_view key,
                  std::string_view value);
int appendQuoted(CaptureWriter& writer, std::string_view text);
int appendQuotedSetting(CaptureWriter& writer, std::string_view key,
                        std::string_view text);

// Appends COMMENT="text" when something is left of the comment once it is
// sanitised. A comment that does not fit is reported and left out, and the
// line goes on without it. True when the piece was appended.
bool appendComment(CaptureWriter& writer, const char* comment);

// Writes the line and its line feed. 0, or 1 after printing the error.
int writeLine(CaptureWriter& writer);

// Writes the text as comment lines ("! " in front). A text too long for
// one line is cut at its last blank that keeps the line short enough, or
// hard at the limit when it has none there; the rest continues on the next
// comment line. 0, or 1 when the write failed (nothing printed).
int writeCommentLine(CaptureWriter& writer, const char* text);

// Removes in place every character outside the printable range 0x20 to
// 0x7E and every character names and comments may not hold; returns the
// length left.
std::size_t SanitizeComment(char* text);

}  // namespace capture
