// The rule for files the program writes: whose links are followed, whose
// files are refused, and that new content takes its name only complete.
#include "platform/written_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/pending_file.h"
#include "platform/user_files.h"
#include "support/other_user.h"
#include "support/run_program.h"

namespace platform {
namespace {

using testing_support::ScratchDirectory;

std::vector<std::string> namesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

unsigned modeOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
}

// Every writer of the program, each given `name` and the text "new\n":
// true when it wrote, false with errno when it did not.
struct Writer {
  const char* what;
  bool (*write)(const std::string& name);
};

bool writePending(const std::string& name, FileAccess access) {
  PendingFile file;
  if (!file.open(name.c_str(), access)) return false;
  std::fputs("new\n", file.stream());
  return file.commit();
}

const Writer kWriters[] = {
    {"replacement",
     [](const std::string& name) {
       return writePending(name, FileAccess::kShared);
     }},
    {"private replacement",
     [](const std::string& name) {
       return writePending(name, FileAccess::kPrivate);
     }},
    {"append",
     [](const std::string& name) {
       std::FILE* file = openPrivateForAppending(name.c_str());
       if (file == nullptr) return false;
       std::fputs("new\n", file);
       return std::fclose(file) == 0;
     }},
    {"history line",
     [](const std::string& name) { return appendPrivateLine(name, "new"); }},
    {"history rewrite",
     [](const std::string& name) {
       return replacePrivateLines(name, {"new"});
     }},
};

TEST(WriteRule, TheUsersOwnLinksAreFollowed) {
  for (const Writer& writer : kWriters) {
    SCOPED_TRACE(writer.what);
    ScratchDirectory scratch;
    scratch.write("target.txt", "");
    const std::string link = scratch.path() + "/link.txt";
    ASSERT_EQ(0, symlink("target.txt", link.c_str()));
    const std::string dangling = scratch.path() + "/dangling.txt";
    ASSERT_EQ(0, symlink("made.txt", dangling.c_str()));

    EXPECT_TRUE(writer.write(link));
    EXPECT_TRUE(writer.write(dangling));
    EXPECT_EQ("new\n", scratch.read("target.txt"));
    EXPECT_EQ("new\n", scratch.read("made.txt"));
    // The links are still links, and nothing else was left beside them.
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ((std::vector<std::string>{"dangling.txt", "link.txt", "made.txt",
                                        "target.txt"}),
              namesIn(scratch.path()));
  }
}

TEST(WriteRule, AnotherUsersLinkOrFileIsRefusedAndLeftAlone) {
  if (!testing_support::canActAsOtherUser()) {
    GTEST_SKIP() << testing_support::kNeedsSuperuser;
  }
  for (const Writer& writer : kWriters) {
    SCOPED_TRACE(writer.what);
    ScratchDirectory scratch;
    scratch.write("target.txt", "precious\n");
    const std::string link = scratch.path() + "/link.txt";
    ASSERT_EQ(0, symlink("target.txt", link.c_str()));
    ASSERT_TRUE(testing_support::giveToOtherUser(link));
    const std::string theirs = scratch.write("theirs.txt", "theirs\n");
    ASSERT_TRUE(testing_support::giveToOtherUser(theirs));

    errno = 0;
    EXPECT_FALSE(writer.write(link));
    EXPECT_EQ(kForeignLink, errno);
    errno = 0;
    EXPECT_FALSE(writer.write(theirs));
    EXPECT_EQ(kForeignFile, errno);
    EXPECT_EQ("precious\n", scratch.read("target.txt"));
    EXPECT_EQ("theirs\n", scratch.read("theirs.txt"));
    EXPECT_EQ(
        (std::vector<std::string>{"link.txt", "target.txt", "theirs.txt"}),
        namesIn(scratch.path()));
  }
  EXPECT_STREQ("it is a symbolic link of another user",
               errorText(kForeignLink));
  EXPECT_STREQ("it is a file of another user", errorText(kForeignFile));
}

TEST(WriteRule, ADanglingLinkExistsAndADeviceIsWrittenInPlace) {
  ScratchDirectory scratch;
  const std::string dangling = scratch.path() + "/dangling";
  ASSERT_EQ(0, symlink("nowhere", dangling.c_str()));
  EXPECT_TRUE(nameExists(dangling.c_str()));
  EXPECT_FALSE(nameExists((scratch.path() + "/nowhere").c_str()));

  const std::string device = scratch.path() + "/null";
  ASSERT_EQ(0, symlink("/dev/null", device.c_str()));
  PendingFile file;
  ASSERT_TRUE(file.open(device.c_str(), FileAccess::kPrivate));
  EXPECT_TRUE(file.direct());
  std::fputs("gone\n", file.stream());
  EXPECT_TRUE(file.commit());
  EXPECT_TRUE(std::filesystem::is_symlink(device));
  EXPECT_EQ((std::vector<std::string>{"dangling", "null"}),
            namesIn(scratch.path()));
}

TEST(PendingFile, ContentTakesTheNameOnlyWhenCommitted) {
  ScratchDirectory scratch;
  const std::string name = scratch.write("file.txt", "old\n");
  ASSERT_EQ(0, chmod(name.c_str(), 0644));
  {
    PendingFile file;
    ASSERT_TRUE(file.open(name.c_str(), FileAccess::kShared));
    std::fputs("half", file.stream());
    std::fflush(file.stream());
    EXPECT_EQ("old\n", scratch.read("file.txt"));
    EXPECT_EQ(2u, namesIn(scratch.path()).size());  // beside it until done
  }  // ended without a commit, as by a failure or an early return
  EXPECT_EQ("old\n", scratch.read("file.txt"));
  EXPECT_EQ(std::vector<std::string>{"file.txt"}, namesIn(scratch.path()));

  struct Case {
    FileAccess access;
    unsigned mode;
  };
  for (const Case& c :
       {Case{FileAccess::kShared, 0644u}, Case{FileAccess::kPrivate, 0600u}}) {
    ASSERT_EQ(0, chmod(name.c_str(), 0644));
    PendingFile file;
    ASSERT_TRUE(file.open(name.c_str(), c.access));
    std::fputs("new\n", file.stream());
    EXPECT_TRUE(file.commit());
    EXPECT_EQ("new\n", scratch.read("file.txt"));
    EXPECT_EQ(c.mode, modeOf(name));
    EXPECT_EQ(std::vector<std::string>{"file.txt"}, namesIn(scratch.path()));
  }
}

// A full disk, shown by a file size limit whose signal is ignored.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_;
};

TEST(PendingFile, AFailedWriteKeepsTheOldContent) {
  ScratchDirectory scratch;
  const std::string name = scratch.write("file.txt", "old\n");
  PendingFile file;
  ASSERT_TRUE(file.open(name.c_str(), FileAccess::kPrivate));
  std::fputs("more than the disk holds\n", file.stream());
  errno = 0;
  {
    FileSizeLimit full(8);
    EXPECT_FALSE(file.commit());
  }
  EXPECT_EQ(EFBIG, errno);
  EXPECT_EQ("old\n", scratch.read("file.txt"));
  EXPECT_EQ(std::vector<std::string>{"file.txt"}, namesIn(scratch.path()));
}

TEST(OwnFiles, OnlyTheUsersPrivateRegularFileIsTrusted) {
  ScratchDirectory scratch;
  const std::string name = scratch.path() + "/secret";
  errno = 0;
  EXPECT_EQ(nullptr, openOwnFileForReading(name.c_str()));
  EXPECT_EQ(ENOENT, errno);

  // Written: created, or emptied and closed to others.
  scratch.write("secret", "old");
  ASSERT_EQ(0, chmod(name.c_str(), 0644));
  EXPECT_EQ(nullptr, openOwnFileForReading(name.c_str()));
  std::FILE* file = openOwnFileForWriting(name.c_str());
  ASSERT_NE(nullptr, file);
  std::fputs("kept", file);
  std::fclose(file);
  EXPECT_EQ(0600u, modeOf(name));
  file = openOwnFileForReading(name.c_str());
  ASSERT_NE(nullptr, file);
  std::fclose(file);

  // A link, even the user's own, and a pipe are neither read nor written.
  const std::string link = scratch.path() + "/link";
  ASSERT_EQ(0, symlink("secret", link.c_str()));
  const std::string pipe = scratch.path() + "/pipe";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  for (const std::string& refused : {link, pipe}) {
    SCOPED_TRACE(refused);
    EXPECT_EQ(nullptr, openOwnFileForReading(refused.c_str()));
    EXPECT_EQ(nullptr, openOwnFileForWriting(refused.c_str()));
  }
  EXPECT_EQ("kept", scratch.read("secret"));

  if (!testing_support::canActAsOtherUser()) {
    GTEST_SKIP() << testing_support::kNeedsSuperuser;
  }
  ASSERT_TRUE(testing_support::giveToOtherUser(name));
  ASSERT_EQ(0, chmod(name.c_str(), 0600));
  EXPECT_EQ(nullptr, openOwnFileForReading(name.c_str()));
  EXPECT_EQ(nullptr, openOwnFileForWriting(name.c_str()));
  EXPECT_EQ("kept", scratch.read("secret"));
}

TEST(WriteRule, RotationAndRemovalLeaveAnotherUsersNamesAlone) {
  ScratchDirectory scratch;
  const std::string log = scratch.write("log", "entries");
  const std::string old = scratch.write("log.old", "older");
  EXPECT_TRUE(rotateFile(log.c_str(), old.c_str()));
  EXPECT_EQ("entries", scratch.read("log.old"));
  EXPECT_TRUE(removeOwnName(old.c_str()));
  EXPECT_TRUE(removeOwnName(old.c_str()));  // nothing there is fine
  EXPECT_TRUE(namesIn(scratch.path()).empty());

  if (!testing_support::canActAsOtherUser()) {
    GTEST_SKIP() << testing_support::kNeedsSuperuser;
  }
  scratch.write("log", "entries");
  scratch.write("log.old", "theirs");
  ASSERT_TRUE(testing_support::giveToOtherUser(old));
  EXPECT_FALSE(rotateFile(log.c_str(), old.c_str()));
  EXPECT_EQ(kForeignFile, errno);
  EXPECT_FALSE(removeOwnName(old.c_str()));
  EXPECT_EQ("theirs", scratch.read("log.old"));
  EXPECT_EQ("entries", scratch.read("log"));
}

}  // namespace
}  // namespace platform
