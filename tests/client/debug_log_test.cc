#include "client/debug_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "client/emclient_api.h"
#include "client_fixture.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;

class DebugLog : public ClientTest {
 protected:
  std::string entry(const std::string& message) {
    return platform::localTimeText(clock.wallTime()) + "\n\n" + message + "\n";
  }
};

TEST_F(DebugLog, EntryIsTimeLineEmptyLineAndMessage) {
  EMClientAPITNGSetDebugMode(1, nullptr);
  EXPECT_EQ(writeEntry("first"), 0);
  EXPECT_EQ(writeEntry("second"), 0);
  EXPECT_EQ(readFile("EMClientAPIDebug.txt"), entry("first") + entry("second"));
}

TEST_F(DebugLog, NewLogIsReadableByItsOwnerOnly) {
  EMClientAPITNGSetDebugMode(2, nullptr);
  writeEntry("password=secret");
  struct stat status {};
  ASSERT_EQ(stat("EMClientAPIDebug.txt", &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(DebugLog, LevelsAndArgumentsDecideWhatIsWritten) {
  EXPECT_EQ(writeEntry("off"), 0);
  EMClientAPITNGSetDebugMode(3, nullptr);
  EXPECT_EQ(writeEntry("bad level"), 300);
  EMClientAPITNGSetDebugMode(1, nullptr);
  EXPECT_EQ(writeEntry(nullptr), 300);
  trace(Layer::kFront, 2, "step");
  trace(Layer::kFront, 1, "request");
  EXPECT_EQ(readFile("EMClientAPIDebug.txt"), entry("request"));
}

TEST_F(DebugLog, RotatesPastTheSizeLimit) {
  EMClientAPITNGSetDebugMode(2, nullptr);
  setenv("FILE_SIZE", "1000", 1);
  writeFile("EMClientAPIDebug.txt", std::string(1000, 'a'));
  writeEntry("kept");  // exactly at the limit: no rotation yet
  std::string before = std::string(1000, 'a') + entry("kept");
  EXPECT_EQ(readFile("EMClientAPIDebug.txt"), before);

  writeEntry("next");
  EXPECT_EQ(readFile("EMClientAPIDebug.txt.old"), before);
  EXPECT_EQ(readFile("EMClientAPIDebug.txt"), entry("next"));
}

TEST_F(DebugLog, EnvironmentOverridesAtEveryWrite) {
  EMClientAPITNGSetDebugMode(2, "chosen.txt");
  setenv("LOG_LEVEL", "0", 1);
  trace(Layer::kFront, 1, "silenced");
  EXPECT_EQ(readFile("chosen.txt"), "");

  setenv("LOG_LEVEL", "7", 1);
  EXPECT_EQ(writeEntry("bad level"), 300);

  unsetenv("LOG_LEVEL");
  EMClientAPITNGSetDebugMode(2, nullptr);
  setenv("FILE_NAME", "env.txt", 1);
  setenv("FILE_SIZE", "600", 1);
  writeFile("env.txt", std::string(601, 'b'));
  writeEntry("to env");
  EXPECT_EQ(readFile("env.txt.old"), std::string(601, 'b'));
  EXPECT_EQ(readFile("env.txt"), entry("to env"));
  EXPECT_EQ(readFile("chosen.txt"), "");

  setenv("FILE_SIZE", "499", 1);
  EXPECT_EQ(writeEntry("too small"), 300);
  EXPECT_EQ(readFile("env.txt"), entry("to env"));
}

TEST_F(DebugLog, UnopenableFileGives400) {
  EMClientAPITNGSetDebugMode(1, "missing-folder/log.txt");
  EXPECT_EQ(writeEntry("lost"), 400);
}

TEST_F(DebugLog, PerformanceMarksCountMillisecondsBetweenMarks) {
  EMClientAPITNGSetDebugMode(2, nullptr);
  performanceMark(Layer::kFront, "Start Command");
  clock.ticks += 42;
  performanceMark(Layer::kFront, nullptr);
  EXPECT_EQ(readFile("EMClientAPIDebug.txt"),
            entry("(       Start Command) -- Previous = 1000, Current = 1000, "
                  "Difference = 0") +
                entry("(   Performance check) -- Previous = 1000, Current = "
                      "1042, Difference = 42"));
}

}  // namespace
}  // namespace emclient
