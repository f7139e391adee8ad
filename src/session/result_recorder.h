// What each command line reports to a program that runs PELK: with --json
// one JSON object per executed line on the standard output, with --quiet
// its error messages on the standard error; and whether any line failed.
// Commands report structured results here; the text they print is theirs.
#pragma once

#include <cstddef>
#include <cstdio>
#include <nlohmann/json_fwd.hpp>

#include "session/masked_line.h"
#include "session/session.h"

namespace session {

// How this run reports, set from the program options before the session
// starts.
struct AutomationMode {
  bool json = false;   // JSON Lines on the standard output, nothing else
  bool quiet = false;  // no banner, prompts or echo; errors on stderr
  bool yes = false;    // questions are answered yes without being asked
};
extern AutomationMode automation;

// The results a command reports; each one is a key of its line's object
// (the table in result_recorder.cc names them).
enum class ResultKind {
  kKind,
  kName,
  kObject,
  kObjects,
  kOptions,
  kManager,
  kTime,
  kModified,
  kFiles,
  kSteps,
  kElementManager,
  kSummary,
  kDifferences,
  kRemoved,
};

// True when results are wanted (--json): a command builds them only then.
bool recordingResults();

// Sets the result of the line being executed, or appends to it (an array
// that starts empty). Nothing happens unless results are wanted or when no
// line is being executed.
void setResult(ResultKind kind, nlohmann::ordered_json value);
void appendResult(ResultKind kind, nlohmann::ordered_json value);
// The same for a text, which costs nothing when results are not wanted.
void setResult(ResultKind kind, const char* text);
void appendResult(ResultKind kind, const char* text);

// The caret below the character at `offset` of the line being executed.
// On the screen it stands under the echoed or typed line, after the prompt
// name and "> "; with --quiet it goes with the line's error message, below
// the line as masked.
void printCaret(const CommandContext& context, std::size_t offset);

// Switches the run to JSON output: the JSON lines go to the standard output
// as it is now, and everything else printed there goes nowhere. False
// (errno set) when that is not possible.
bool startJsonOutput();

// Brackets the execution of one command line, given with its passwords
// masked. Lines nest: a script's lines run inside the FILE line. The end
// emits the line's JSON object or writes its error message to the
// standard error. A line fails when `failed`, when a failure was noted
// during it, or when it printed an error message.
void beginLineResult(MaskedLine line);
void endLineResult(bool failed);

// The reason a failed line gives when it printed no message of its own
// (an interruption cut it short); the first one given counts. Without a
// message or a reason a failed line says only that it failed.
void explainFailure(const char* reason);

// Notes a failure of the line being executed, or of the run when none is.
void noteFailure();

// Notes the failure and makes StoppedOnError equal to StopOnError; every
// failed command passes through here.
void markCommandFailed(SessionState& session);

// Ends every line still open as failed: for a fatal stop.
void abandonLineResults();

// Whether any line failed so far. A regression test judges the lines it
// replays by their output, so it puts this back after them.
bool anyLineFailed();
void setAnyLineFailed(bool failed);

// Writes error messages printed outside any line to the standard error.
// The exit status of a quiet run: 1 when any line failed, else 0.
int finishResults();

}  // namespace session
