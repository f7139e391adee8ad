// Tracked memory: every block the shell keeps is zero-filled (unless asked
// for unfilled, for a buffer written before it is read), recorded in a
// table of pages with its size, and can be released one by one or all at
// once. Blocks the table does not know are never freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

namespace session {

inline constexpr int kSlotsPerPage = 4095;

// A zero-filled block of `size` bytes, recorded; nullptr for size 0. When
// memory is exhausted it prints the failure with `module` and `line` and
// ends the process through fatalStop().
void* allocate(std::size_t size, const char* module, int line);

// A block like allocate() whose bytes are left as they come: for a buffer
// the caller writes before it reads, so it is not written twice.
void* allocateUnfilled(std::size_t size, const char* module, int line);

// A zero-filled block like allocate(), owned by `owner` (a block from
// allocate()): it is given back together with its owner, by release(owner),
// releaseAll() and fatalStop(), so a structure of many pieces carved from a
// few such blocks is released with one call. An owner that is itself owned,
// or that the table does not know, leaves the block on its own, given back
// by releaseAll().
void* allocateOwned(void* owner, std::size_t size, const char* module,
                    int line);

// An owned block like allocateOwned(), left unfilled like
// allocateUnfilled().
void* allocateOwnedUnfilled(void* owner, std::size_t size, const char* module,
                            int line);

// Gives back a block that allocate() handed out, with every block it owns.
// nullptr, a block already released, a foreign pointer, or a block owned by
// another (it goes with its owner) is ignored.
void release(void* block);

// A tracked, terminated copy of `length` bytes of `text`.
char* copyText(const char* text, std::size_t length, const char* module,
               int line);

// Takes `block`, `size` bytes from malloc, into the table, as if
// allocateUnfilled() had handed it out, and gives it back; nullptr stays
// nullptr. A text another library hands over to be freed is kept so
// without a copy.
void* adopt(void* block, std::size_t size);

// Gives back every recorded block, silently.
void releaseAll();

// Frees the table pages that no live block needs.
void compact();

// Observers for tests and benchmarks.
std::size_t liveBlockCount();
std::size_t trackingPageCount();

// Test seam: the raw allocation beneath the table, filled or not. nullptr
// restores the platform's allocations.
using RawAllocation = void* (*)(std::size_t size);
void setRawAllocation(RawAllocation allocation);

}  // namespace session

namespace session {

// A tracked, value-initialised object of a trivially destructible type; it
// is given back with release() like any other block.
template <typename T>
T* trackedNew(const char* module, int line) {
  static_assert(std::is_trivially_destructible_v<T>);
  return new (allocate(sizeof(T), module, line)) T{};
}

}  // namespace session
