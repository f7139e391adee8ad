#include "request/send_request.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "client/emclient_api.h"
#include "request/pending_properties.h"
#include "request/request_envelope.h"
#include "sim_fixture.h"
#include "support/loopback.h"

namespace request_test {
namespace {

using namespace request;
using testing_support::loopbackAddress;

class SendRequestTest : public SimFixture {
 protected:
  // The list of all systems, sent with the shell's retry policy; the
  // retry marks on standard output are kept in `marks`.
  int sendSystemList(uint32_t retries) {
    session::sessionOptions.retries = retries;
    BeginV1Request(context_, "Get", "Element");
    PutProperty(context_, "ID", "");
    EmitV1Properties(context_);
    EndV1Request(context_);
    StandardOutput standardOutput;
    int result = SendRequest(context_);
    marks = standardOutput.text();
    return result;
  }

  static std::vector<std::string> repeated(const std::string& line, int n) {
    return std::vector<std::string>(static_cast<std::size_t>(n), line);
  }

  std::string marks;
};

// RETRIES 1 allows six retries, ten seconds apart; the last busy answer is
// then handed on to be judged like any other.
TEST_F(SendRequestTest, ABusyServerIsAskedAgainEveryTenSeconds) {
  startSim(loopbackAddress(110), {"busy:*:18018"});
  EXPECT_EQ(sendSystemList(1), 0);
  EXPECT_EQ(marks, "\nRetrying command.....");
  EXPECT_EQ(clock_.pauses, std::vector<uint32_t>(6, 10000));
  EXPECT_EQ(requests(),
            repeated("12301 POST /zorbridge admin Get Element -> fault busy "
                     "18018",
                     7));
  EXPECT_NE(std::string(session_.work.responseText).find("<MessageNum>18018<"),
            std::string::npos);
  EXPECT_EQ(output(), "");
}

TEST_F(SendRequestTest, NoRetriesMeansOneAttempt) {
  startSim(loopbackAddress(111), {"busy:*:18018"});
  EXPECT_EQ(sendSystemList(0), 0);
  EXPECT_EQ(marks, "");
  EXPECT_TRUE(clock_.pauses.empty());
  EXPECT_EQ(requests().size(), 1u);
}

TEST_F(SendRequestTest, AnHtmlPageAfterTheRetriesMeansTheServerIsDown) {
  startSim(loopbackAddress(112), {"html:*"});
  EXPECT_EQ(sendSystemList(1), 1);
  EXPECT_EQ(output(), "\nError: Server currently down, stopped or restarting");
  EXPECT_EQ(marks, "\nRetrying command.....");
  EXPECT_EQ(
      requests(),
      repeated("12301 POST /zorbridge admin Get Element -> fault html", 7));
}

// A refused login is the library's error: printed with its text, and not
// retried whatever RETRIES says.
TEST_F(SendRequestTest, LibraryErrorsAreReportedAndNotRetried) {
  startSim(loopbackAddress(113), {"unauthorized:*"});
  EXPECT_EQ(sendSystemList(4), 1);
  EXPECT_EQ(output(),
            "\nError: EMClientAPITNG error ->\n"
            "EMCLIENTAPI_PERMISSIONDENIED_ERROR : Invalid username or "
            "password.\n");
  EXPECT_EQ(marks, "");
  EXPECT_TRUE(clock_.pauses.empty());
  EXPECT_EQ(session_.work.responseText, std::string(""));
}

// DEBUG TALLOW_FLAGS: "111" turns the library's log to level 2, any other
// text to level 1, before every send.
TEST_F(SendRequestTest, DebugFlagsSetTheLibraryLogLevel) {
  startSim(loopbackAddress(121));
  testing_support::ScratchDirectory logs;
  const std::string kStepLine =
      " ** Socket connection for sending request is open";
  const std::string kRequestLine =
      " ** Original received request from application ->";
  struct Case {
    const char* flags;
    bool steps;
  };
  for (Case level : {Case{"1", false}, Case{"111", true}}) {
    SCOPED_TRACE(level.flags);
    std::string file = logs.path() + "/" + level.flags + ".log";
    setenv("FILE_NAME", file.c_str(), 1);
    session::release(session_.tallowFlags);
    session_.tallowFlags = copy(level.flags);
    EXPECT_EQ(sendSystemList(0), 0);
    std::string log = logs.read(std::string(level.flags) + ".log");
    EXPECT_NE(log.find(kRequestLine), std::string::npos);
    EXPECT_EQ(log.find(kStepLine) != std::string::npos, level.steps);
  }
  EMClientAPITNGSetDebugMode(0, "");
  unsetenv("FILE_NAME");
}

}  // namespace
}  // namespace request_test
