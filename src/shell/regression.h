// The hidden REGRESSION command: record every command line and its output
// into a reference file, and later replay the commands of such a file and
// report every command whose output differs.
#pragma once

#include "session/session.h"

namespace shell {

session::ParseStatus installStartCapture(session::CommandContext& context);
session::ParseStatus installEndCapture(session::CommandContext& context);
session::ParseStatus installRegressionTest(session::CommandContext& context);

// While capturing, puts the line's output into the reference file. When
// the file can no longer be written, or an interruption is recorded, the
// capture ends and the incomplete file goes; 1 then, and the line counts
// as failed.
int checkCaptureWritten(session::SessionState& session);

// At the session's end: a capture still running is ended, its reference
// kept when written whole (else the screen says why). 0, or 1 then.
int finishCaptureAtExit();

// While capturing, whether the lines of a script running `depth` scripts
// deep are commands of the reference: those of the script the capture
// began in, or of one it returned to. The lines of a script that a
// recorded FILE line runs are that line's output instead, echoed as a
// replay echoes them, so a replay runs them once, through the FILE line.
bool scriptLinesAreCommands(int depth);

// Whether a REGRESSION TEST ran in this session, and the total of the
// differences all tests found.
bool regressionTestRan();
unsigned regressionDifferenceTotal();

}  // namespace shell
