// The files the simulator writes, in-process: the saved state is its
// owner's only and replaces the file rather than writing through its other
// names, and nothing put at a name between its check and its open is
// written through.
#include "sim/save_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "sim/written_file.h"
#include "support/run_program.h"

namespace {

using testing_support::ScratchDirectory;

unsigned ModeOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
}

TEST(SaveFile, TheStateIsItsOwnersOnlyAndNeverWrittenThroughAnotherName) {
  ScratchDirectory scratch;
  const std::string other = scratch.write("other.json", "other\n");
  ASSERT_EQ(0, chmod(other.c_str(), 0644));
  const std::string linked = scratch.path() + "/linked.json";
  ASSERT_EQ(0, link(other.c_str(), linked.c_str()));
  const std::string fresh = scratch.path() + "/fresh.json";
  for (const std::string& name : {linked, fresh}) {
    SCOPED_TRACE(name);
    std::string error;
    ASSERT_TRUE(sim::SaveFile(name, "state\n", error)) << error;
    EXPECT_EQ(0600u, ModeOf(name));
  }
  EXPECT_EQ("state\n", scratch.read("linked.json"));
  EXPECT_EQ("other\n", scratch.read("other.json"));
  EXPECT_EQ(0644u, ModeOf(other));

  // The log is written in place: a file with another name is refused.
  ASSERT_EQ(0, link(other.c_str(), (scratch.path() + "/log").c_str()));
  std::string error;
  EXPECT_EQ(nullptr, sim::OpenForAppending(other, error));
  EXPECT_EQ("cannot write " + other + ": it is a file with other hard links",
            error);
  EXPECT_EQ("other\n", scratch.read("log"));
}

// What the hook puts at the checked name in place of the user's pipe: a
// link to the victim, or another name of it.
struct Swap {
  std::string name;
  std::string victim;
  bool symbolic = false;
};
Swap swap;

void SwapName(const std::string& path) {
  if (path != swap.name) return;
  unlink(path.c_str());
  if (swap.symbolic) {
    symlink(swap.victim.c_str(), path.c_str());
  } else {
    link(swap.victim.c_str(), path.c_str());
  }
}

TEST(SaveFile, ANameSwappedBetweenCheckAndOpenIsNotWrittenThrough) {
  sim::SetCheckedNameHook(SwapName);
  for (bool symbolic : {true, false}) {
    SCOPED_TRACE(symbolic ? "a link" : "another name");
    ScratchDirectory scratch;
    swap = Swap{scratch.path() + "/state.json",
                scratch.write("victim", "precious\n"), symbolic};
    ASSERT_EQ(0, mkfifo(swap.name.c_str(), 0600));
    std::string error;
    EXPECT_FALSE(sim::SaveFile(swap.name, "state\n", error));
    EXPECT_EQ("cannot write " + swap.name + ": " +
                  (symbolic ? "Too many levels of symbolic links"
                            : "it was replaced while being opened"),
              error);
    EXPECT_EQ("precious\n", scratch.read("victim"));
  }
  sim::SetCheckedNameHook(nullptr);
}

}  // namespace
