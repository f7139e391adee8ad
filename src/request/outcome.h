// Judging the server's answer in the work area's responseTree.
#pragma once

#include "session/session.h"

namespace request {

// 1 after printing the text of the answer's NotSuccessMsg; 0 when there
// is none.
int ReportNotSuccess(session::CommandContext& context);

// SuccessMsg alone: the SUCCESS bit, 0. NotSuccessMsg alone: its text is
// printed, the FAILURE bit set, 0 (the command still counts as failed).
// Both or neither: printed as an error, no bit, 1.
int CheckOutcome(session::CommandContext& context);

// Sends the built request, parses the answer and judges it with
// CheckOutcome: 0, or 1 after printing why.
int SendAndJudge(session::CommandContext& context);

}  // namespace request
