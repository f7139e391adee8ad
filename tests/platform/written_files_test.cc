// The rule for files the program writes: whose links are followed, whose
// files are refused, and that new content takes its name only complete.
#include "platform/written_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/pending_file.h"
#include "platform/user_files.h"
#include "support/other_user.h"
#include "support/pipe_reader.h"
#include "support/run_program.h"

namespace platform {
namespace {

using testing_support::PipeReader;
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
// true when it wrote, false with errno when it did not. One that writes in
// place opens a regular file at the name; the others replace it.
struct Writer {
  const char* what;
  bool inPlace;
  bool (*write)(const std::string& name);
};

bool writePending(const std::string& name, FileAccess access) {
  PendingFile file;
  if (!file.open(name.c_str(), access)) return false;
  std::fputs("new\n", file.stream());
  return file.commit();
}

const Writer kWriters[] = {
    {"replacement", false,
     [](const std::string& name) {
       return writePending(name, FileAccess::kShared);
     }},
    {"private replacement", false,
     [](const std::string& name) {
       return writePending(name, FileAccess::kPrivate);
     }},
    {"append", true,
     [](const std::string& name) {
       std::FILE* file = openPrivateForAppending(name.c_str());
       if (file == nullptr) return false;
       std::fputs("new\n", file);
       return std::fclose(file) == 0;
     }},
    {"history line", true,
     [](const std::string& name) { return appendPrivateLine(name, "new"); }},
    {"history rewrite", false,
     [](const std::string& name) {
       return replacePrivateLines(name, {"new"});
     }},
};

bool makeSocket(const std::string& path) {
  int descriptor = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (descriptor < 0 || path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  bool bound = bind(descriptor, reinterpret_cast<sockaddr*>(&address),
                    sizeof address) == 0;
  close(descriptor);
  return bound;
}

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

// Nothing of theirs is written into, and nothing waits for a reader.
TEST(WriteRule, AnotherUsersPipeOrSocketIsRefusedLikeTheirFile) {
  if (!testing_support::canActAsOtherUser()) {
    GTEST_SKIP() << testing_support::kNeedsSuperuser;
  }
  ScratchDirectory scratch;
  const std::string pipe = scratch.path() + "/pipe";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0666));
  const std::string socket = scratch.path() + "/socket";
  ASSERT_TRUE(makeSocket(socket));
  for (const std::string& theirs : {pipe, socket}) {
    ASSERT_TRUE(testing_support::giveToOtherUser(theirs));
  }
  PipeReader reader(pipe);
  ASSERT_TRUE(reader.opened());
  for (const Writer& writer : kWriters) {
    SCOPED_TRACE(writer.what);
    for (const std::string& theirs : {pipe, socket}) {
      SCOPED_TRACE(theirs);
      errno = 0;
      EXPECT_FALSE(writer.write(theirs));
      EXPECT_EQ(kForeignFile, errno);
    }
  }
  EXPECT_EQ("", reader.take());
}

// A file whose other name may be anyone's: what writes in place refuses
// it, what replaces it leaves the other name as it was.
TEST(WriteRule, AFileWithOtherHardLinksIsNeverWrittenThrough) {
  for (const Writer& writer : kWriters) {
    SCOPED_TRACE(writer.what);
    ScratchDirectory scratch;
    const std::string other = scratch.write("other.txt", "other\n");
    const std::string name = scratch.path() + "/name.txt";
    ASSERT_EQ(0, link(other.c_str(), name.c_str()));
    errno = 0;
    EXPECT_EQ(!writer.inPlace, writer.write(name));
    if (writer.inPlace) {
      EXPECT_EQ(kLinkedFile, errno);
    }
    EXPECT_EQ(writer.inPlace ? "other\n" : "new\n", scratch.read("name.txt"));
    EXPECT_EQ("other\n", scratch.read("other.txt"));
    EXPECT_EQ((std::vector<std::string>{"name.txt", "other.txt"}),
              namesIn(scratch.path()));
  }
  EXPECT_STREQ("it is a file with other hard links", errorText(kLinkedFile));
}

// What the hook puts at the checked name in place of what the check saw:
// a link to the victim, or another name of it.
struct Swap {
  std::string name;
  std::string victim;
  bool symbolic = false;
};
Swap swap;

void swapName(const char* path) {
  if (swap.name != path) return;
  unlink(path);
  if (swap.symbolic) {
    symlink(swap.victim.c_str(), path);
  } else {
    link(swap.victim.c_str(), path);
  }
}

class SwapBetweenCheckAndOpen {
 public:
  SwapBetweenCheckAndOpen() { installCheckedNameHook(swapName); }
  ~SwapBetweenCheckAndOpen() { installCheckedNameHook(nullptr); }
};

TEST(WriteRule, ANameSwappedBetweenCheckAndOpenIsNotWrittenThrough) {
  enum class Seen { kNothing, kOwnFile, kOwnPipe };
  const struct {
    const char* what;
    Seen seen;
    bool symbolic;
    int refusal;
  } cases[] = {
      {"nothing, then a link", Seen::kNothing, true, ELOOP},
      {"nothing, then another name", Seen::kNothing, false, kLinkedFile},
      {"a file, then a link", Seen::kOwnFile, true, ELOOP},
      {"a file, then another name", Seen::kOwnFile, false, kChangedFile},
      {"a pipe, then a link", Seen::kOwnPipe, true, ELOOP},
      {"a pipe, then another name", Seen::kOwnPipe, false, kChangedFile},
  };
  SwapBetweenCheckAndOpen hook;
  for (const auto& c : cases) {
    for (const Writer& writer : kWriters) {
      // A replacement opens nothing at the name but a pipe.
      if (!writer.inPlace && c.seen != Seen::kOwnPipe) continue;
      SCOPED_TRACE(std::string(c.what) + ", " + writer.what);
      ScratchDirectory scratch;
      swap = Swap{scratch.path() + "/name",
                  scratch.write("victim", "precious\n"), c.symbolic};
      if (c.seen == Seen::kOwnFile) scratch.write("name", "");
      if (c.seen == Seen::kOwnPipe) {
        ASSERT_EQ(0, mkfifo(swap.name.c_str(), 0600));
      }
      errno = 0;
      EXPECT_FALSE(writer.write(swap.name));
      EXPECT_EQ(c.refusal, errno);
      EXPECT_EQ("precious\n", scratch.read("victim"));
    }
  }
  EXPECT_STREQ("it was replaced while being opened", errorText(kChangedFile));
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

  // So is the user's own pipe, without waiting for a reader.
  const std::string pipe = scratch.path() + "/pipe";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  std::string written;
  for (bool reading : {false, true}) {
    PipeReader reader(reading ? pipe : "");
    for (const Writer& writer : kWriters) {
      SCOPED_TRACE(writer.what);
      EXPECT_TRUE(writer.write(pipe));
      written += "new\n";
    }
    if (reading) {
      EXPECT_EQ(written.substr(written.size() / 2), reader.take());
    }
  }
  EXPECT_EQ((std::vector<std::string>{"dangling", "null", "pipe"}),
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
    // No name a killed process would leave behind.
    EXPECT_EQ(std::vector<std::string>{"file.txt"}, namesIn(scratch.path()));
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

TEST(UserFiles, LinesAreReadUpToALimit) {
  ScratchDirectory scratch;
  const std::string name = scratch.write("lines", "one\n\ntwo");
  const struct {
    std::string path;
    std::size_t limit;
    bool read;
  } cases[] = {
      {name, 8, true},
      {name, 7, false},
      // A device that never ends.
      {"/dev/zero", 1 << 20, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " " + std::to_string(c.limit));
    std::vector<std::string> lines;
    errno = 0;
    EXPECT_EQ(c.read, readLines(c.path, c.limit, lines));
    if (c.read) {
      EXPECT_EQ((std::vector<std::string>{"one", "", "two"}), lines);
    } else {
      EXPECT_EQ(EFBIG, errno);
      EXPECT_TRUE(lines.empty());
    }
  }
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

  // A link, even the user's own, a pipe and another name of a file are
  // neither read nor written.
  const std::string link = scratch.path() + "/link";
  ASSERT_EQ(0, symlink("secret", link.c_str()));
  const std::string pipe = scratch.path() + "/pipe";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  const std::string second = scratch.path() + "/second";
  ASSERT_EQ(0, ::link(name.c_str(), second.c_str()));
  for (const std::string& refused : {link, pipe, second}) {
    SCOPED_TRACE(refused);
    EXPECT_EQ(nullptr, openOwnFileForReading(refused.c_str()));
    EXPECT_EQ(nullptr, openOwnFileForWriting(refused.c_str()));
  }
  EXPECT_EQ("kept", scratch.read("secret"));
  ASSERT_EQ(0, unlink(second.c_str()));

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
