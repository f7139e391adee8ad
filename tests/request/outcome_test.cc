#include "request/outcome.h"

#include <string>

#include "request/response_parser.h"
#include "session_fixture.h"

namespace request_test {
namespace {

using namespace request;

class OutcomeTest : public SessionFixture {
 protected:
  void answer(const char* text) {
    session::release(session_.work.responseText);
    session_.work.responseText = copy(text);
    session_.work.resultFlags = 0;
    ASSERT_EQ(ParseResponseText(context_), 0);
  }
};

TEST_F(OutcomeTest, CheckOutcomeJudgesTheFourCombinations) {
  struct Case {
    const char* answer;
    const char* printed;
    uint32_t flags;
    int result;
  };
  const Case cases[] = {
      {"<SuccessMsg>done</SuccessMsg>", "", session::kServerSuccess, 0},
      {"<SuccessMsg/><NotSuccessMsg>no</NotSuccessMsg>",
       "\nError: Both SUCCESS and FAILURE were returned by this command", 0, 1},
      {"<NotSuccessMsg>first</NotSuccessMsg>"
       "<NotSuccessMsg>Name already exists</NotSuccessMsg>",
       "\nError: Name already exists", session::kServerFailure, 0},
      {"<Other>x</Other>",
       "\nError: Neither SUCCESS nor FAILURE were returned by this command", 0,
       1},
  };
  for (const Case& outcome : cases) {
    SCOPED_TRACE(outcome.answer);
    answer(outcome.answer);
    EXPECT_EQ(CheckOutcome(context_), outcome.result);
    EXPECT_EQ(output(), outcome.printed);
    EXPECT_EQ(session_.work.resultFlags, outcome.flags);
  }
}

TEST_F(OutcomeTest, ReportNotSuccessFailsOnlyWithAMessage) {
  answer("<SuccessMsg>ok</SuccessMsg>");
  EXPECT_EQ(ReportNotSuccess(context_), 0);
  answer("<NotSuccessMsg>Object not found</NotSuccessMsg>");
  EXPECT_EQ(ReportNotSuccess(context_), 1);
  EXPECT_EQ(output(), "\nError: Object not found");
  EXPECT_EQ(session_.work.resultFlags, 0u);
}

}  // namespace
}  // namespace request_test
