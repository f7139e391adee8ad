#include "client/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "client/emclient_api.h"
#include "client/os_error.h"
#include "client/result_codes.h"
#include "client_fixture.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;

std::string tngText(int code, int size = 2048) {
  std::string buffer(size, 'x');
  EXPECT_EQ(EMClientAPITNGGetErrorText(code, buffer.data(), size), 0);
  return buffer.c_str();
}

TEST(ErrorText, FrontLayerTextsAreExact) {
  EXPECT_EQ(tngText(105),
            "EMClientAPITNG error ->\nEMCLIENTAPISOCKET_CONNECT_ERROR : Cannot "
            "establish socket connection with the server.\n");
  EXPECT_EQ(tngText(-1),
            "EMClientAPITNG error ->\nUnknown EMCLIENTAPITNGError(-1)\n");
  EXPECT_EQ(tngText(0),
            "EMClientAPITNG error ->\nEMCLIENTAPI_SUCCESS : The operation was "
            "a success.\n");
  EXPECT_EQ(tngText(204),
            "EMClientAPITNG error ->\nEMCLIENTAPI_FILENOTRECEIVED_ERROR : The "
            "server did not send the requested file..\n");
}

TEST(ErrorText, OlderLayerTextsAreExact) {
  char buffer[256];
  EXPECT_EQ(EMClientAPIGetErrorText(1000, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer,
               "EMClientAPI error ->\nEMCLIENTAPITNG_SOAPSERVER_RESPONSE_"
               "INVALID_ERROR : Invalid Soap Server Response.\n");
  EXPECT_EQ(EMClientAPIGetErrorText(7, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "EMClientAPI error ->\nUnknown EMClientAPIError(7)\n");
  EXPECT_EQ(EMClientAPIGetErrorText(105, nullptr, 0), 0);
}

TEST(ErrorText, TooSmallBufferNeverHoldsACutText) {
  // 40 bytes are too few for every text: the buffer is left cleared.
  for (int code : {0, 105, 113, 200, 1000, -1}) {
    char buffer[40];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(EMClientAPITNGGetErrorText(code, buffer, sizeof buffer), 301)
        << code;
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(40, '\0'));
  }
  // Room for the older layer's text but not the front layer's: the buffer
  // keeps the older one.
  std::string shortText = shortErrorText(105);
  std::string buffer(shortText.size() + 2, 'x');
  EXPECT_EQ(EMClientAPITNGGetErrorText(105, buffer.data(),
                                       static_cast<int>(buffer.size())),
            301);
  EXPECT_EQ(std::string(buffer.c_str()), shortText);
}

TEST(ErrorText, LongFormCarriesTheSystemErrorAndItsSocketsName) {
  rememberOsError(ECONNRESET);
  EXPECT_EQ(
      longErrorText("T\n"),
      "T\n\n\nWindows specific -> WSALastErrorCode=10054, "
      "Win32LastErrorCode=" +
          std::to_string(ECONNRESET) + "\nWindows FormatMessage result ->   " +
          std::strerror(ECONNRESET) + "  Extended description: WSAECONNRESET");
  rememberOsError(ECONNREFUSED);
  EXPECT_NE(longErrorText("").find("WSALastErrorCode=10061"),
            std::string::npos);
  EXPECT_NE(longErrorText("").find("Extended description: Unknown extended "
                                   "error code"),
            std::string::npos);
  EXPECT_EQ(socketErrorNumber(EAGAIN), 10035);
  EXPECT_STREQ(socketErrorName(10035), "WSAEWOULDBLOCK");
  EXPECT_EQ(socketErrorNumber(ENOENT), 0);
}

class ErrorLog : public ClientTest {};

TEST_F(ErrorLog, LongFormIsLoggedAtLevelTwoOnly) {
  EMClientAPITNGSetDebugMode(1, nullptr);
  EMClientAPITNGGetErrorText(-1, nullptr, 0);
  EXPECT_EQ(readFile("EMClientAPIDebug.txt"), "");

  EMClientAPITNGSetDebugMode(2, nullptr);
  EMClientAPITNGGetErrorText(-1, nullptr, 0);
  std::string log = readFile("EMClientAPIDebug.txt");
  for (const char* line :
       {"\n\n** ERROR ->\n",
        "EMClientAPI error ->\nUnknown EMClientAPIError(-1)\n",
        "\n\n<- ERROR **\n", "\n\n** ERROR tng ->\n",
        "\n\nEMClientAPITNG error ->\nUnknown EMCLIENTAPITNGError(-1)\n\n\n"
        "Windows specific -> ",
        "\n\n<- ERROR tng **\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace emclient
