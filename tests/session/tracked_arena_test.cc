#include "session/tracked_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "session/tracked_memory.h"

namespace session {
namespace {

// Pieces of every size from a few chunks, aligned where asked, and gone
// with the owner; a piece larger than the ceiling gets a chunk of its own.
TEST(TrackedArena, PiecesComeFromFewChunksThatGoWithTheOwner) {
  releaseAll();
  void* owner = allocate(8, "test", __LINE__);
  Arena arena{owner, "test"};
  arena.largestChunk = 8192;
  for (int i = 0; i < 1000; ++i) {
    char* text = arenaText(arena, "abcdefg", static_cast<std::size_t>(i % 8));
    EXPECT_EQ(std::string("abcdefg", i % 8), text);
    auto* piece = static_cast<uint64_t*>(arenaAllocate(arena, 24));
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(piece) % 8);
    EXPECT_EQ(0u, piece[0] | piece[1] | piece[2]);
    piece[0] = piece[1] = piece[2] = ~uint64_t{0};
  }
  std::size_t withPieces = liveBlockCount();
  EXPECT_LT(withPieces, 12u);
  char* large = static_cast<char*>(arenaAllocate(arena, 100000));
  large[99999] = 'x';
  EXPECT_EQ(withPieces + 1, liveBlockCount());
  release(owner);
  EXPECT_EQ(0u, liveBlockCount());
}

// Chunks come unfilled, from memory given back dirty: each structure is
// zeroed as it is handed out, in the owner's room and in later chunks.
TEST(TrackedArena, StructuresAreZeroEvenInDirtyChunks) {
  releaseAll();
  constexpr std::size_t kRoom = 4096;
  for (std::size_t size : {8 + kRoom, 2 * kRoom}) {
    void* dirty = allocateUnfilled(size, "test", __LINE__);
    std::memset(dirty, 0xAB, size);
    release(dirty);
  }
  void* owner = allocateUnfilled(8 + kRoom, "test", __LINE__);
  Arena arena = arenaInOwner(owner, 8, kRoom, "test");
  for (int i = 0; i < 300; ++i) {
    auto* piece = static_cast<uint64_t*>(arenaAllocate(arena, 24));
    ASSERT_EQ(0u, piece[0] | piece[1] | piece[2]) << i;
  }
  EXPECT_EQ(2u, liveBlockCount());
  release(owner);
  EXPECT_EQ(0u, liveBlockCount());
}

}  // namespace
}  // namespace session
