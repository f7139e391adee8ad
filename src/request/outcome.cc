#include "request/outcome.h"

#include <cstdio>

#include "request/response_parser.h"
#include "request/response_search.h"
#include "request/send_request.h"
#include "session/shown_text.h"

namespace request {
namespace {

struct OutcomeRow {
  bool success;
  bool notSuccess;
  const char* message;  // nullptr: the NotSuccessMsg text, or nothing
  uint32_t resultFlag;
  int result;
};

constexpr OutcomeRow kOutcomes[] = {
    {true, false, nullptr, session::kServerSuccess, 0},
    {true, true,
     "\nError: Both SUCCESS and FAILURE were returned by this command", 0, 1},
    {false, true, nullptr, session::kServerFailure, 0},
    {false, false,
     "\nError: Neither SUCCESS nor FAILURE were returned by this command", 0,
     1},
};

}  // namespace

int ReportNotSuccess(session::CommandContext& context) {
  const session::ResponseNode* failure =
      FindResponseElement(context.session->work.responseTree, "NotSuccessMsg");
  if (failure == nullptr) return 0;
  std::fprintf(session::errorStream(), "\nError: %s",
               session::shownText(failure->value).c_str());
  return 1;
}

int CheckOutcome(session::CommandContext& context) {
  session::WorkArea& work = context.session->work;
  bool success =
      FindResponseElement(work.responseTree, "SuccessMsg") != nullptr;
  const session::ResponseNode* failure =
      FindResponseElement(work.responseTree, "NotSuccessMsg");
  for (const OutcomeRow& row : kOutcomes) {
    if (row.success != success || row.notSuccess != (failure != nullptr)) {
      continue;
    }
    if (row.message != nullptr) {
      std::fputs(row.message, session::errorStream());
    } else if (failure != nullptr) {
      std::fprintf(session::errorStream(), "\nError: %s",
                   session::shownText(failure->value).c_str());
    }
    work.resultFlags |= row.resultFlag;
    return row.result;
  }
  return 1;
}

int SendAndJudge(session::CommandContext& context) {
  if (SendRequest(context) != 0) return 1;
  if (ParseResponseText(context) != 0) return 1;
  return CheckOutcome(context);
}

}  // namespace request
