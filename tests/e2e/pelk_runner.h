// Runs build/pelk the way an administrator would and gives the expected
// texts of the session's fixed parts.
#pragma once

#include <string>
#include <vector>

#include "support/run_program.h"

namespace e2e {

inline const std::string kBanner = "\n\nPELK Build 7 for tarnwick 3.2\n";
inline const std::string kPrompt = "\nNoSystemSelected> ";
// What a plain end of standard input prints at the prompt.
inline const std::string kEndOfInput =
    "\nError: Input stream error:\n       Success";

// Commands typed on standard input (no program arguments).
testing_support::ProgramRun runInteractive(const std::string& input,
                                           const std::string& directory = "");

// Commands given as program arguments.
testing_support::ProgramRun runArguments(
    const std::vector<std::string>& arguments, const std::string& input = "",
    const std::string& directory = "");

// Commands given as program arguments to a shell whose files cannot grow
// past `fileLimit` bytes, as on a full disk: the limit's signal is
// ignored, so a write past it fails instead.
testing_support::ProgramRun runArgumentsOnFullDisk(
    const std::vector<std::string>& arguments, const std::string& directory,
    int fileLimit = 512);

// The echo of a command given as an argument or read from a script.
std::string echo(const std::string& line,
                 const std::string& prompt = "NoSystemSelected");

// A caret line: `width` blanks and "^".
std::string caret(int width);

}  // namespace e2e

// Compares byte for byte and shows both sides escaped on failure.
#define EXPECT_OUTPUT(expected, actual)                                \
  EXPECT_EQ(expected, actual)                                          \
      << "expected (escaped):\n"                                       \
      << testing_support::escaped(expected) << "\nactual (escaped):\n" \
      << testing_support::escaped(actual)
