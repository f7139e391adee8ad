#include "session/tracked_arena.h"

#include <algorithm>

#include "session/tracked_memory.h"

namespace session {
namespace {

constexpr std::size_t kSmallestArenaChunk = 1024;

}  // namespace

// Chunks double from the first one up to the ceiling, so a small answer
// takes one small chunk and a large one a few hundred large ones.
void addArenaChunk(Arena& arena, std::size_t size) {
  std::size_t largest =
      arena.largestChunk != 0 ? arena.largestChunk : kLargestArenaChunk;
  std::size_t chunk = std::max(arena.chunkSize, kSmallestArenaChunk);
  chunk = std::max(std::min(chunk, largest), size);
  arena.next = static_cast<char*>(
      allocateOwnedUnfilled(arena.owner, chunk, arena.module, __LINE__));
  arena.end = arena.next + chunk;
  arena.chunkSize = std::min(chunk * 2, largest);
}

}  // namespace session
