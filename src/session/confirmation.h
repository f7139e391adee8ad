// The yes/no question that destructive commands ask at the prompt.
#pragma once

namespace session {

// Prints the warning and the question, reads one answer line and returns
// true only for "Yes" (case-sensitive; blanks and control characters
// anywhere in the answer are ignored). A failed or over-long read counts
// as no, and so does an interruption, without the "Command aborted" line.
// With --yes the question is not asked and the answer is yes; else with
// --quiet (or --json) it is not asked and the command is refused with an
// error naming --yes.
bool confirmCommand(const char* warning);

}  // namespace session
