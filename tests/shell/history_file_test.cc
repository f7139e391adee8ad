// The history file: which lines reach it, its permissions, and how it is
// cut back when it has grown.
#include "shell/history_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/run_program.h"

namespace shell {
namespace {

TEST(HistoryFile, LinesThatMayCarryAPasswordAreRecognised) {
  const struct {
    const char* line;
    bool secret;
  } cases[] = {
      {"SELECT MANAGER 10.0.0.5 USERNAME=admin PASSWORD=x", true},
      {"select manager h password = \"p w\"", true},
      // The keyword abbreviated, as the parser accepts it.
      {"SELECT MANAGER h P=x", true},
      {"sel man h us=u pas (a=b)", true},
      // Refused lines still count when they hold the text, also after
      // the word that is wrong.
      {"SELECT MANAGER h PASWORD=x PassWord  =y", true},
      {"SELECT MANAGER h PASSWORD\t=x", true},
      {"SELECT\tMANAGER\th\tP\t=\tx", true},
      {"SELCT MANAGER h PASS=x", true},
      {"ADD VDISK x COMMENT=\"no password here\"", false},
      {"SHOW VDISK PASSWORD", false},
      {"SELECT MANAGER h USERNAME=p", false},
      {"ADD VDISK x P=PATH_A_BOTH", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.secret, holdsPassword(c.line)) << c.line;
  }
}

TEST(HistoryFile, KeepsLinesAcrossSessionsInAnOwnerOnlyFile) {
  testing_support::ScratchDirectory scratch;
  HistoryFile history{scratch.path() + "/history", {}};
  for (const char* line :
       {"SHOW OPTIONS", "SHOW OPTIONS", "   ",
        "SELECT MANAGER h USERNAME=u PASSWORD=secret", "SELECT MANAGER h P=x",
        "SHOW MANAGER", "SHOW OPTIONS"}) {
    rememberLine(history, line);
  }
  EXPECT_EQ("SHOW OPTIONS\nSHOW MANAGER\nSHOW OPTIONS\n",
            scratch.read("history"));
  struct stat status {};
  ASSERT_EQ(0, stat(history.path.c_str(), &status));
  EXPECT_EQ(0600u, status.st_mode & 0777u);

  HistoryFile next{history.path, {}};
  EXPECT_EQ((std::vector<std::string>{"SHOW OPTIONS", "SHOW MANAGER",
                                      "SHOW OPTIONS"}),
            loadHistory(next));
  rememberLine(next, "SHOW OPTIONS");
  EXPECT_EQ("SHOW OPTIONS\nSHOW MANAGER\nSHOW OPTIONS\n",
            scratch.read("history"));
}

TEST(HistoryFile, AnOverlongOrUncleanFileIsCutBackToTheNewestLines) {
  testing_support::ScratchDirectory scratch;
  std::string contents = "SELECT MANAGER h PASSWORD=old\n";
  for (std::size_t i = 0; i <= kHistoryLines; ++i) {
    contents += "SHOW VDISK v" + std::to_string(i) + "\n";
  }
  HistoryFile history{scratch.write("history", contents), {}};
  chmod(history.path.c_str(), 0644);

  std::vector<std::string> lines = loadHistory(history);
  ASSERT_EQ(kHistoryLines, lines.size());
  EXPECT_EQ("SHOW VDISK v1", lines.front());
  EXPECT_EQ("SHOW VDISK v1000", lines.back());
  std::string rewritten = scratch.read("history");
  EXPECT_EQ(0u, rewritten.find("SHOW VDISK v1\n"));
  EXPECT_EQ(std::string::npos, rewritten.find("PASSWORD"));
  struct stat status {};
  ASSERT_EQ(0, stat(history.path.c_str(), &status));
  EXPECT_EQ(0600u, status.st_mode & 0777u);
}

// A file the prompt cannot have written, or a device that never ends, is
// not taken in whole: the session keeps its history to itself and says so.
TEST(HistoryFile, AnOversizedFileIsNeitherReadNorWritten) {
  testing_support::ScratchDirectory scratch;
  const std::string large =
      scratch.write("history", std::string(5 << 20, 'x') + "\n");
  for (const std::string& path : {std::string("/dev/zero"), large}) {
    SCOPED_TRACE(path);
    HistoryFile history{path, {}};
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loadHistory(history).empty());
    EXPECT_EQ("pelk: the history file " + path +
                  " is not used: it holds more than 4 MB\n",
              testing::internal::GetCapturedStderr());
    EXPECT_TRUE(history.path.empty());
    rememberLine(history, "SHOW OPTIONS");
  }
  EXPECT_EQ(std::size_t{5 << 20} + 1, scratch.read("history").size());
}

}  // namespace
}  // namespace shell
