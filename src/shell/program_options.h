// Options given in front of the command lines, one row of a table each:
// how the run reports (for a person, or for a job or another program), how
// long a request may take and how managers reached over TLS are trusted. An
// option may also come from the environment.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace shell {

struct ProgramOptions {
  bool json = false;   // JSON Lines on the standard output only
  bool quiet = false;  // no banner, prompts or echo; errors on stderr
  bool yes = false;    // questions answered yes without asking
  // Bound of each request's exchange in seconds, 0: none. Not given, a job
  // (--json or --quiet) is bounded by kJobTimeoutSeconds and a person's
  // session is not.
  std::optional<uint32_t> timeoutSeconds;
  const char* caFile = nullptr;    // TLS managers' authorities; null: system's
  const char* certFile = nullptr;  // client certificate for TLS, null: none
  const char* keyFile = nullptr;   // its key, null: in certFile
  bool insecure = false;           // TLS managers neither verified nor named
};

// A job nobody watches gives up a stalled request after ten minutes.
inline constexpr uint32_t kJobTimeoutSeconds = 600;

// What readProgramOptions returns when it refused the arguments.
inline constexpr int kRefusedValue = -1;   // an option's value is wrong
inline constexpr int kUnknownOption = -2;  // a word with '-' names none

// Reads the options at the front of the arguments, then, for an option
// not given, its environment variable. Returns the index of the first
// command line (`argc` when there is none), or kRefusedValue or
// kUnknownOption after printing to the standard error why. The first word
// that names no option begins the command lines; "--" ends the options
// and is no command line itself. An argument that begins with '-' and is
// no option is refused wherever it stands, unless "--" came before it, so
// a mistyped option never runs as a command line.
int readProgramOptions(int argc, char** argv, ProgramOptions& options);

// The bound, in seconds, of each request's exchange for these options
// (0: none).
uint32_t requestBoundSeconds(const ProgramOptions& options);

// One line or more per option, for the usage text.
void printProgramOptions(std::FILE* stream);

}  // namespace shell
