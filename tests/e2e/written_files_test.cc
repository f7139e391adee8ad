// Files the session writes, when writing is impossible or not allowed: the
// command that asked for the file says why, a file that cannot be written
// whole is not left behind, a log that cannot be written costs only its
// entries, and nothing is written through another user's link or into
// another user's file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "request_sim_session.h"
#include "support/loopback.h"
#include "support/other_user.h"
#include "support/pipe_reader.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;
using testing_support::PipeReader;
using testing_support::ScratchDirectory;

TEST(WrittenFiles, CaptureFileThatCannotBeCreatedIsReported) {
  ScratchDirectory scratch;
  scratch.write("plain.txt", "");
  auto run =
      runArguments({"REGRESSION CAPTURE plain.txt/ref.txt", "SHOW OPTIONS"}, "",
                   scratch.path());
  EXPECT_EQ(run.output.substr(0, run.output.find(echo("SHOW OPTIONS"))),
            kBanner + echo("REGRESSION CAPTURE plain.txt/ref.txt") +
                "\nError: Open of plain.txt/ref.txt failed, Not a directory");
  // Nothing was captured: the options went to the screen.
  EXPECT_NE(run.output.find("\nOptions:\n"), std::string::npos);
  EXPECT_EQ(scratch.read("plain.txt"), "");
}

// /dev/full fails every write as a full disk does.
TEST(WrittenFiles, DebugLogOnAFullDiskLosesEntriesNotCommands) {
  SimSession sim(loopbackAddress(77), kRequestScenario);
  REQUIRE_SIM(sim);
  ScratchDirectory scratch;
  testing_support::ProgramOptions options;
  options.arguments = withManager(
      sim.address(), {"SET OPTIONS ON_ERROR=HALT_ON_ERROR",
                      "DEBUG INFORMATION TALLOW_FLAGS=111", "SHOW SYSTEM"});
  options.environment = {"FILE_NAME=/dev/full"};
  options.directory = scratch.path();
  auto run = testing_support::runProgram(PELK_BINARY, options);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find(echo("SHOW SYSTEM") +
                            "\nSystems available on this Manager:\n  Alpha"),
            std::string::npos)
      << testing_support::escaped(run.output);
}

// A reference with output missing would later replay fewer commands and
// pass: the capture ends at the line whose output could not be written,
// the line fails, and a plain file is removed. A device named by the user
// (behind a link here, so a fault could only remove the link) is kept.
TEST(WrittenFiles,
     ARegressionCaptureThatCannotBeWrittenEndsAndLeavesNoReference) {
  struct Case {
    const char* name;
    bool throughDevice;
    const char* errorText;
    const char* ending;
  };
  for (const Case& c :
       {Case{"ref.txt", false, "File too large", "incomplete ref.txt deleted"},
        Case{"full.txt", true, "No space left on device",
             "full.txt is incomplete"}}) {
    SCOPED_TRACE(c.name);
    ScratchDirectory scratch;
    if (c.throughDevice) {
      ASSERT_EQ(symlink("/dev/full", (scratch.path() + "/" + c.name).c_str()),
                0);
    }
    const std::string capture = std::string("REGRESSION CAPTURE ") + c.name;
    auto run = runArgumentsOnFullDisk(
        {"SET OPTIONS ON_ERROR=HALT_ON_ERROR", capture, "HELP", "SHOW TIME"},
        scratch.path());
    EXPECT_OUTPUT(kBanner + echo("SET OPTIONS ON_ERROR=HALT_ON_ERROR") +
                      echo(capture) + echo("HELP", "RegressionTest") +
                      "\nError: Cannot write ouput file.  Error detected:\n"
                      "       " +
                      c.errorText + "\nRegression capture ended; " + c.ending +
                      "\n\nPress return to exit",
                  run.output);
    EXPECT_EQ(run.exitStatus, 1);
    struct stat status {};
    EXPECT_EQ(lstat((scratch.path() + "/" + c.name).c_str(), &status) == 0,
              c.throughDevice);
  }
}

// A reference that cannot be written whole never takes the place of the
// one recorded before.
TEST(WrittenFiles, ARegressionCaptureThatCannotBeWrittenKeepsTheEarlierOne) {
  ScratchDirectory scratch;
  scratch.write("ref.txt", "recorded before\n");
  auto run = runArgumentsOnFullDisk(
      {"REGRESSION CAPTURE ref.txt", "HELP", "SHOW TIME"}, scratch.path());
  const std::string expected =
      kBanner + echo("REGRESSION CAPTURE ref.txt") +
      echo("HELP", "RegressionTest") +
      "\nError: Cannot write ouput file.  Error detected:\n"
      "       File too large\nRegression capture ended; ref.txt left as it "
      "was" +
      echo("SHOW TIME");
  EXPECT_OUTPUT(expected, run.output.substr(0, expected.size()));
  EXPECT_EQ("recorded before\n", scratch.read("ref.txt"));
}

// The cookie kept for the next login is written whole or not at all.
TEST(WrittenFiles, ASessionFileThatCannotBeWrittenWholeIsLeftEmpty) {
  SimSession sim(loopbackAddress(78), kRequestScenario, {"--text-port", "off"});
  REQUIRE_SIM(sim);
  ScratchDirectory scratch;
  auto run = runArgumentsOnFullDisk(
      withManager(sim.address(),
                  {"SET OPTIONS ON_ERROR=HALT_ON_ERROR", "SHOW SYSTEM"}),
      scratch.path(), 30);
  EXPECT_EQ(run.exitStatus, 0) << testing_support::escaped(run.output);
  EXPECT_NE(run.output.find("\nSystems available on this Manager:\n  Alpha"),
            std::string::npos);
  EXPECT_EQ(scratch.read("EMClientAPIPersist.txt"), "");
}

// Every name the session writes, with a link the other user planted there,
// a file or a pipe of theirs: the command that asked for the file refuses
// it, the files written on their own stay unwritten, and nothing is
// changed or sent their way.
TEST(WrittenFiles, AnotherUsersLinkFileOrPipeAtAWrittenNameIsLeftAlone) {
  if (!testing_support::canActAsOtherUser()) {
    GTEST_SKIP() << testing_support::kNeedsSuperuser;
  }
  SimSession sim(loopbackAddress(146), kRequestScenario,
                 {"--text-port", "off"});
  REQUIRE_SIM(sim);
  struct Case {
    const char* name;
    const char* command;
    const char* refusal;  // nullptr: the file is written without asking
  };
  const Case cases[] = {
      {"ref.txt", "REGRESSION CAPTURE ref.txt",
       "\nError: Open of ref.txt failed, "},
      {"keep_Step1A.txt", "CAPTURE CONFIGURATION keep.txt",
       "\nError: Open of keep_Step1A.txt failed, "},
      {"EMClientAPIDebug.txt", "DEBUG INFORMATION TALLOW_FLAGS=111", nullptr},
      {"EMClientAPIPersist.txt", "SHOW OPTIONS", nullptr},
  };
  enum class Planted { kLink, kFile, kPipe };
  for (Planted planted : {Planted::kLink, Planted::kFile, Planted::kPipe}) {
    const bool link = planted == Planted::kLink;
    const bool pipe = planted == Planted::kPipe;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (link   ? " (link)"
                                          : pipe ? " (pipe)"
                                                 : " (file)"));
      ScratchDirectory scratch;
      testing_support::openToEveryone(scratch.path());
      std::string victim = scratch.write("victim.txt", "precious\n");
      ASSERT_EQ(0, chmod(victim.c_str(), 0644));
      testing_support::ProgramOptions plant;
      plant.arguments =
          link   ? std::vector<std::string>{"-s", "victim.txt", c.name}
          : pipe ? std::vector<std::string>{"-m", "0666", c.name}
                 : std::vector<std::string>{c.name};
      plant.directory = scratch.path();
      ASSERT_EQ(0, testing_support::runAsOtherUser(link   ? "ln"
                                                   : pipe ? "mkfifo"
                                                          : "touch",
                                                   plant)
                       .exitStatus);
      const std::string planted = scratch.path() + "/" + c.name;
      // The other user listens; a session that waited for a reader would
      // not end.
      PipeReader listener(pipe ? planted : "");

      auto run =
          runArguments(withManager(sim.address(), {c.command, "SHOW SYSTEM"}),
                       "", scratch.path());
      EXPECT_FALSE(run.timedOut);
      if (c.refusal != nullptr) {
        EXPECT_NE(std::string::npos,
                  run.output.find(echo(c.command) + c.refusal +
                                  (link ? "it is a symbolic link of another "
                                          "user"
                                        : "it is a file of another user") +
                                  echo("SHOW SYSTEM")))
            << testing_support::escaped(run.output);
      }
      // The session went on with what it could do.
      EXPECT_NE(std::string::npos,
                run.output.find("\nSystems available on this Manager:"));
      EXPECT_EQ("precious\n", scratch.read("victim.txt"));
      if (pipe) {
        ASSERT_TRUE(listener.opened());
        EXPECT_EQ("", listener.take());
      } else {
        EXPECT_EQ(link ? "precious\n" : "", scratch.read(c.name));
      }
      struct stat status {};
      ASSERT_EQ(0, stat(victim.c_str(), &status));
      EXPECT_EQ(0644u, status.st_mode & 0777u);
      ASSERT_EQ(0, lstat(planted.c_str(), &status));
      EXPECT_EQ(testing_support::kOtherUser, status.st_uid);
    }
  }
}

}  // namespace
}  // namespace e2e
