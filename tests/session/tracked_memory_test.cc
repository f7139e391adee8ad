#include "session/tracked_memory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "session/session.h"
#include "session/work_area.h"
#include "support/run_program.h"

namespace session {
namespace {

class TrackedMemory : public testing::Test {
 protected:
  void SetUp() override { releaseAll(); }
  void TearDown() override {
    releaseAll();
    setRawAllocation(nullptr);
  }
};

TEST_F(TrackedMemory, BlocksAreZeroFilledAndSizeZeroGivesNone) {
  auto* block = static_cast<unsigned char*>(allocate(64, "quill_main", 1));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(0, block[i]);
  EXPECT_EQ(nullptr, allocate(0, "quill_main", 2));
  EXPECT_EQ(1u, liveBlockCount());
  release(nullptr);
  release(block);
  release(block);  // a second release does not find it
  int onTheStack = 0;
  release(&onTheStack);  // never handed out: neither freed nor reported
  EXPECT_EQ(0u, liveBlockCount());
}

TEST_F(TrackedMemory, PagesGrowByWholePagesAndCompactGivesThemBack) {
  std::vector<void*> blocks;
  for (int i = 0; i < kSlotsPerPage; ++i) {
    blocks.push_back(allocate(8, "quill_main", 3));
  }
  EXPECT_EQ(1u, trackingPageCount());
  blocks.push_back(allocate(8, "quill_main", 4));
  EXPECT_EQ(2u, trackingPageCount());
  for (std::size_t i = 1; i < blocks.size(); ++i) release(blocks[i]);
  compact();
  EXPECT_EQ(1u, trackingPageCount());
  release(blocks[0]);
  compact();
  EXPECT_EQ(0u, trackingPageCount());
}

TEST_F(TrackedMemory, FreedSlotsAreReusedBeforeANewPage) {
  std::vector<void*> blocks;
  for (int i = 0; i < 2 * kSlotsPerPage; ++i) {
    blocks.push_back(allocate(8, "quill_main", 5));
  }
  release(blocks[10]);
  release(blocks[kSlotsPerPage + 10]);
  allocate(8, "quill_main", 6);
  allocate(8, "quill_main", 7);
  EXPECT_EQ(2u, trackingPageCount());
  EXPECT_EQ(2u * kSlotsPerPage, liveBlockCount());
  releaseAll();
  EXPECT_EQ(0u, liveBlockCount());
  EXPECT_EQ(0u, trackingPageCount());
}

TEST_F(TrackedMemory, CopyTokenReplacesTheSlotWithATerminatedCopy) {
  const char line[] = "SELECT MANAGER host";
  CommandContext context{};
  context.tokenStart = line + 15;
  context.tokenLength = 4;
  char* slot = nullptr;
  copyToken(context, slot);
  EXPECT_STREQ("host", slot);
  context.tokenStart = line;
  context.tokenLength = 6;
  copyToken(context, slot);
  EXPECT_STREQ("SELECT", slot);
  EXPECT_EQ(1u, liveBlockCount());
}

TEST_F(TrackedMemory, OwnedBlocksAreGivenBackWithTheirOwnerOnly) {
  void* owner = allocateUnfilled(16, "quill_main", 8);
  auto* first =
      static_cast<unsigned char*>(allocateOwned(owner, 4096, "quill_main", 9));
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(0, first[i]);
  allocateOwnedUnfilled(owner, 100, "quill_main", 10);
  void* other = allocate(16, "quill_main", 11);
  allocateOwned(other, 100, "quill_main", 12);
  EXPECT_EQ(5u, liveBlockCount());
  release(first);  // goes with its owner, not alone
  EXPECT_EQ(5u, liveBlockCount());
  release(owner);
  EXPECT_EQ(2u, liveBlockCount());
  release(owner);

  // An owned block owns nothing, and a foreign owner nothing either: such
  // blocks stay until everything goes.
  void* owned = allocateOwned(other, 8, "quill_main", 13);
  allocateOwned(owned, 8, "quill_main", 14);
  int onTheStack = 0;
  allocateOwned(&onTheStack, 8, "quill_main", 15);
  release(other);
  EXPECT_EQ(2u, liveBlockCount());
  releaseAll();
  EXPECT_EQ(0u, liveBlockCount());
}

// A block from malloc, taken in, is given back like any other, alone or
// with everything; the sanitizer build would report it lost or freed twice.
TEST_F(TrackedMemory, AnAdoptedBlockIsGivenBackLikeAnyOther) {
  EXPECT_EQ(nullptr, adopt(nullptr, 0));
  void* alone = adopt(std::malloc(100), 100);
  void* withTheRest = adopt(std::malloc(2000), 2000);
  allocate(8, "quill_main", 16);
  EXPECT_EQ(3u, liveBlockCount());
  release(alone);
  release(alone);
  EXPECT_EQ(2u, liveBlockCount());
  releaseAll();
  EXPECT_EQ(0u, liveBlockCount());
  release(withTheRest);  // no longer known: ignored
}

void* failingAllocation(std::size_t) { return nullptr; }

// Filled or not, a block the platform cannot give ends the session.
TEST_F(TrackedMemory, ExhaustedMemoryEndsThroughFatalStop) {
  for (auto allocation : {allocate, allocateUnfilled}) {
    testing_support::ScratchDirectory scratch;
    std::string path = scratch.path() + "/output";
    EXPECT_EXIT(
        {
          outputStream = std::fopen(path.c_str(), "w");
          (void)std::freopen("/dev/null", "r", stdin);
          allocate(16, "quill_main", 1);
          setRawAllocation(failingAllocation);
          allocation(300, "quill_soap", 42);
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(
        "\nError: Could not allocate 300 bytes for Quill use in module "
        "quill_soap, line 42\n\nPress return to exit",
        scratch.read("output"));
  }
}

}  // namespace
}  // namespace session
