// Many small pieces carved from a few large tracked blocks (chunks) that
// all belong to one owner block: the pieces cost no tracking of their own,
// and releasing the owner gives every chunk back at once. Structures fill
// a chunk from its start and texts from its end, so neither wastes room on
// the other's alignment. Chunks come unfilled: each structure is zeroed as
// it is handed out, so the room a small answer leaves unused is never
// written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace session {

struct Arena {
  void* owner;           // a block from allocate()
  const char* module;    // named when memory runs out
  char* next = nullptr;  // the free part of the current chunk: [next, end)
  char* end = nullptr;
  std::size_t chunkSize = 0;     // of the next chunk; 0: the smallest
  std::size_t largestChunk = 0;  // chunks grow to this; 0: the default
};

// The default ceiling of chunk growth: large enough that a big answer
// needs few chunks, small enough that the unused end of the last one
// stays a small part of the whole.
inline constexpr std::size_t kLargestArenaChunk = std::size_t{1} << 20;

// An arena whose first chunk is the room after the first `ownerSize`
// bytes of its owner (a block made that much larger, filled or not): a
// small structure then takes one tracked block in all.
inline Arena arenaInOwner(void* owner, std::size_t ownerSize, std::size_t room,
                          const char* module) {
  char* first = static_cast<char*>(owner) + ((ownerSize + 7) & ~std::size_t{7});
  Arena arena{owner, module};
  arena.next = first;
  arena.end = static_cast<char*>(owner) + ownerSize + room;
  arena.chunkSize = room;
  return arena;
}

// Starts a chunk that holds at least `size` bytes; the current one is left
// with its unused end.
void addArenaChunk(Arena& arena, std::size_t size);

// `size` zero-filled bytes aligned for any plain structure.
inline void* arenaAllocate(Arena& arena, std::size_t size) {
  auto address = reinterpret_cast<uintptr_t>(arena.next);
  auto* aligned = reinterpret_cast<char*>((address + 7) & ~uintptr_t{7});
  if (arena.next == nullptr || aligned > arena.end ||
      static_cast<std::size_t>(arena.end - aligned) < size) {
    addArenaChunk(arena, size);
    aligned = arena.next;
  }
  arena.next = aligned + size;
  std::memset(aligned, 0, size);
  return aligned;
}

// A terminated copy of `length` bytes of `text`, not aligned.
inline char* arenaText(Arena& arena, const char* text, std::size_t length) {
  if (arena.next == nullptr ||
      static_cast<std::size_t>(arena.end - arena.next) <= length) {
    addArenaChunk(arena, length + 1);
  }
  arena.end -= length + 1;
  char* copy = arena.end;
  if (length > 0) std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

}  // namespace session
