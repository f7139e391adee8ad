// Line and character input from standard input or an open text stream.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <string>

namespace platform {

// Lines are read into a buffer of this many characters plus a terminator.
inline constexpr std::size_t kLineLimit = 2048;

// No line is read further than this many characters without a line feed:
// an endless one (a device, a file without line ends) ends the reading.
inline constexpr std::size_t kRunawayLimit = std::size_t{1} << 20;

enum class LineStatus {
  kOk,           // a line was read (possibly ended by the end of the stream)
  kTooLong,      // the line with its line feed reached kLineLimit; discarded
  kEnd,          // the stream was at its end: nothing was read
  kError,        // the read failed; the error number is in `error`
  kRunaway,      // kRunawayLimit characters came without a line feed; the
                 // stream stands in the middle of that line
  kInterrupted,  // an interruption ended the wait for input; the line's
                 // characters read so far are dropped
};

struct LineBuffer {
  char text[kLineLimit + 1];  // always terminated
  std::size_t length;         // characters in `text`, without the line feed
  bool atEnd;                 // the read met the end of the stream
  int error;                  // errno of a failed read, else 0
};

// Reads one line. A carriage return just before the line feed is dropped
// before the length is judged, so CR LF files read like LF files. An
// over-long line is consumed through its line feed, so its tail is never
// taken for a line of its own, unless it runs away (kRunaway). Before a
// read of standard input the output streams are flushed, so every prompt
// and question is visible before the program waits; lines of a script file
// are read without, so the output of a script stays in the C library's
// buffer as long as it may.
LineStatus readLine(std::FILE* stream, LineBuffer& line);

// Reads one whole line of up to kRunawayLimit characters into `line`,
// without its line feed: kOk, kEnd when the stream was at its end, or
// kRunaway with the line's first kRunawayLimit characters. `terminated`
// tells whether a line feed ended the line (false for a last line without
// one).
LineStatus readBoundedLine(std::FILE* stream, std::string& line,
                           bool& terminated);

// readBoundedLine for readers that treat a runaway line like the end of
// the stream: true only for kOk.
bool readWholeLine(std::FILE* stream, std::string& line, bool& terminated);

// Reads one character from standard input after flushing output; at the
// end of input, and when an interruption ends the wait, it returns EOF.
int readKey();

// Reads one character typed at the terminal on standard input, for the
// line editor: 1 with the character, 0 at the end of input, -1 when the
// read fails or an interruption is recorded, whether it came during the
// wait or before it, while the editor was still drawing the last key.
// Bytes that form no character of the locale are skipped.
int readTerminalCharacter(wchar_t& character);

// True when the descriptor is a terminal.
bool isTerminal(int descriptor);

// The program has one thread: its standard streams need not be locked on
// every call, which costs more than writing a short text.
void useStandardStreamsFromOneThread();

// Shows `prompt` on the standard output and reads one line from standard
// input, a terminal, without showing what is typed. Returns false at the
// end of input or when the terminal cannot be read.
bool readHiddenLine(const char* prompt, std::string& line);

}  // namespace platform
