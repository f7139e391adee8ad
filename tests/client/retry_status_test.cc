#include "client/retry_status.h"

#include <gtest/gtest.h>

#include "client/emclient_api.h"

namespace emclient {
namespace {

TEST(RetryStatus, ClassifiesAnswers) {
  const char* v3 = "<version>3.2</version>";
  struct Case {
    std::string response;
    bool strict;
    int expected;
  } cases[] = {
      {"<!DOCTYPE html><html>", true, 666666},
      {"<!DOCTYPE html><html>", false, 0},
      {"", true, 666667},
      {"", false, 0},
      {std::string(v3) + "<statuscode>18018</statuscode>", true, 18018},
      {std::string(v3) + "<statuscode>18018</statuscode>", false, 0},
      {std::string(v3) + "<statuscode>18034</statuscode>", false, 18034},
      {std::string(v3) + "<statuscode>18034</statuscode>", true, 18034},
      {std::string(v3) + "<statuscode> +018034</statuscode>", false, 18034},
      {std::string(v3) + "<statuscode>5</statuscode>", true, 0},
      {std::string(v3) + "<statuscode>0</statuscode>", true, 0},
      {std::string(v3) + "<statuscode>18034", true, 0},
      // An end marker before the start marker counts as missing.
      {std::string(v3) + "</statuscode><statuscode>18034", true, 0},
      {"NotSuccessMsg <MessageNum type=\"int\">4058</MessageNum>", true, 4058},
      {"NotSuccessMsg <MessageNum type=\"int\">18034</MessageNum>", false,
       18034},
      {"NotSuccessMsg <MessageNum>600014</MessageNum>", true, 600014},
      {"NotSuccessMsg without a number", true, 0},
      {"<MessageNum>4058</MessageNum> but a success", true, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(retryStatus(c.response, c.strict), c.expected)
        << c.response << (c.strict ? " (strict)" : "");
  }
  EXPECT_EQ(EMClientAPITNGCheckRetryStatus(
                "<version>3.2</version><statuscode>12003</statuscode>"),
            12003);
}

TEST(RetryStatus, PausesFollowTheStatus) {
  struct Case {
    int status;
    uint32_t pause;
  } cases[] = {{38, 10000},    {14003, 10000},  {18071, 10000},
               {12003, 30000}, {666666, 30000}, {18018, 5000},
               {18034, 1000},  {97, 1000},      {666667, 1000}};
  for (const Case& c : cases) {
    EXPECT_EQ(retryPause(c.status), c.pause) << c.status;
  }
}

}  // namespace
}  // namespace emclient
