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
    {true, false, nullptr, shell::kServerSuccess, 0},
    {true, true,
     "\nError: Both SUCCESS and FAILURE were returned by this command", 0, 1},
    {false, true, nullptr, shell::kServerFailure, 0},
    {false, false,
     "\nError: Neither SUCCESS nor FAILURE were returned by this command", 0,
     1},
};

}  // namespace

int ReportNotSuccess(shell::CommandContext& context) {
  const shell::ResponseNode* failure =
      FindResponseElement(context.session->work.responseTree, "NotSuccessMsg");
  if (failure == nullptr) return 0;
  std::fprintf(shell::errorStream(), "\nError: %s",
               shell::shownText(failure->value).c_str());
  return 1;
}

int CheckOutcome(shell::CommandContext& context) {
  shell::WorkArea& work = context.session->work;
  bool success =
      FindResponseElement(work.responseTree, "SuccessMsg") != nullptr;
  const shell::ResponseNode* failure =
      FindResponseElement(work.responseTree, "NotSuccessMsg");
  for (const OutcomeRow& row : kOutcomes) {
    if (row.success != success || row.notSuccess != (failure != nullptr)) {
      continue;
    }
    if (row.message != nullptr) {
      std::fputs(row.message, shell::errorStream());
    } else if (failure != nullptr) {
      std::fprintf(shell::errorStream(), "\nError: %s",
                   shell::shownText(failure->value).c_str());
    }
    work.resultFlags |= row.resultFlag;
    return row.result;
  }
  return 1;
}

int SendAndJudge(shell::CommandContext& context) {
  if (SendRequest(context) != 0) return 1;
  if (ParseResponseText(context) != 0) return 1;
  return CheckOutcome(context);
}

}  // namespace request
