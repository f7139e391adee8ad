// Step files: their names, that they take their names only complete and
// together, and that no half-written one survives a fatal stop.
#include "capture/step_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "capture/controller_writer.h"
#include "request/response_parser.h"
#include "request/session_fixture.h"
#include "session/fatal_stop.h"
#include "support/run_program.h"

namespace capture {
namespace {

using testing_support::ScratchDirectory;

TEST(StepFileName, SplitsAtTheFirstDotOfTheLastPathComponent) {
  struct {
    const char* given;
    const char* name;
  } cases[] = {
      {"config.txt", "config_Step1A.txt"},
      {"config", "config_Step1A"},
      {"config.tar.gz", "config_Step1A.tar.gz"},
      {"./out/config.txt", "./out/config_Step1A.txt"},
      {"../my.dir/config", "../my.dir/config_Step1A"},
      {"/tmp/a.b/c.d.e", "/tmp/a.b/c_Step1A.d.e"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    char* name = stepFileName(c.given, "Step1A");
    EXPECT_STREQ(c.name, name);
    session::release(name);
  }
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool isEmptyDirectory(const std::string& path) {
  return std::filesystem::is_empty(path);
}

class StepFileTest : public request_test::SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    writer_.context = &context_;
    writer_.toFile = true;
    path_ = scratch_.path() + "/config_Step1A.txt";
  }

  // Power details naming both controllers, as the server sends them.
  session::ResponseNode* powerDetails() {
    auto* root = session::trackedNew<session::ResponseNode>("test", __LINE__);
    request::ParseResponse(context_,
                           "<Name>\\Hardware\\Controller A</Name>"
                           "<Name>\\Hardware\\Controller B</Name>",
                           root);
    return root;
  }

  // Runs a fatal stop in a child process with nothing to read on standard
  // input; what it prints goes to the standard error.
  static void stopFatally(void (*stop)()) {
    std::freopen("/dev/null", "r", stdin);
    session::outputStream = stderr;
    stop();
  }

  ScratchDirectory scratch_;
  std::string path_;
  CaptureWriter writer_{};
};

// Sealed step files wait for the rest: a fatal stop in a later step takes
// them with it.
TEST_F(StepFileTest, AFatalStopDuringACaptureLeavesNoStepFile) {
  ASSERT_EQ(0, openStepFile(writer_, 0, path_.c_str()));
  writer_.stepWroteCommand = true;
  ASSERT_EQ(0, closeStepFile(writer_, 0, path_.c_str(), false));
  const std::string second = scratch_.path() + "/config_Step1B.txt";
  ASSERT_EQ(0, openStepFile(writer_, 1, second.c_str()));
  EXPECT_FALSE(exists(path_));  // not before the capture is complete
  session::ResponseNode* details = powerDetails();
  EXPECT_EXIT(
      {
        std::freopen("/dev/null", "r", stdin);
        session::outputStream = stderr;
        writeController(writer_, details, 2);
      },
      testing::ExitedWithCode(1),
      "\nError: Number of expected controllers exceeded\n\nPress return to "
      "exit");
  EXPECT_TRUE(isEmptyDirectory(scratch_.path()));
  closeStepFile(writer_, 1, second.c_str(), true);
  dropStepFiles();
  session::releaseTree(details);
}

TEST_F(StepFileTest, KeptStepFilesOutliveALaterFatalStop) {
  ASSERT_EQ(0, openStepFile(writer_, 0, path_.c_str()));
  writer_.stepWroteCommand = true;
  ASSERT_EQ(0, closeStepFile(writer_, 0, path_.c_str(), false));
  ASSERT_EQ(0, keepStepFiles(writer_));
  EXPECT_EXIT(stopFatally(session::fatalStop), testing::ExitedWithCode(1), "");
  EXPECT_TRUE(exists(path_));
  std::string text = scratch_.read("config_Step1A.txt");
  EXPECT_TRUE(text.starts_with("! \n! PELK CAPTURE script checksum start\n"));
  EXPECT_NE(std::string::npos,
            text.find("! \n! PELK CAPTURE script checksum end: "));
}

TEST_F(StepFileTest, AFailedOrEmptyStepLeavesNoFile) {
  for (bool failed : {true, false}) {
    SCOPED_TRACE(failed ? "failed step" : "step without a command");
    ASSERT_EQ(0, openStepFile(writer_, 0, path_.c_str()));
    writer_.stepWroteCommand = failed;
    EXPECT_EQ(0, closeStepFile(writer_, 0, path_.c_str(), failed));
    EXPECT_EQ(nullptr, writer_.newStepFiles[0]);
    EXPECT_TRUE(isEmptyDirectory(scratch_.path()));
  }
  EXPECT_EQ("", output());
}

}  // namespace
}  // namespace capture
