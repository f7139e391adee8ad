// Parsing and executing one command line, and reporting its outcome.
#pragma once

#include <cstddef>
#include <string>

#include "platform/console.h"
#include "session/session.h"

namespace shell {

// Parses and executes one line of `length` characters (the text is
// terminated after them). Script runners pass applyDelay, which pauses
// COMMAND_DELAY seconds after a line that parsed. A command during which
// an interruption was recorded counts as failed; while a regression
// capture runs, the interruption also ends it (checkCaptureWritten).
void executeLine(session::CommandContext& context, const char* line,
                 std::size_t length, bool applyDelay);

// Reports a line read that was too long to execute, marking the command
// failed when `markFailed`. For --json it is a command line that failed.
void rejectLongLine(session::CommandContext& context,
                    const platform::LineBuffer& line, bool markFailed);

// What the shell says of the interruption recorded: which signal ended
// the session, or that the command was stopped (Ctrl-C at the prompt).
// Without the line feed that starts a message.
std::string interruptionMessage();

// Removes trailing characters whose code, as a signed 8-bit value, is 32 or
// less: line ends, blanks, tabs and bytes 128 to 255. Returns the new
// length.
std::size_t trimLineEnd(char* line, std::size_t length);

}  // namespace shell
