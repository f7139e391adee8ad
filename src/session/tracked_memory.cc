#include "session/tracked_memory.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "session/block_index.h"
#include "session/fatal_stop.h"
#include "session/output.h"

namespace session {
namespace {

// An owner's slot holds the first block it owns, an owned block's slot the
// next block of the same owner.
struct Slot {
  void* block;
  void* owned;
  int32_t size;
  bool isOwned;
};

// Pages form a chain, newest first. Beside the slots each page keeps how
// many are used, a bitmap of them and the first word of the bitmap that may
// have a free bit; an index maps every live block to its page and slot, and
// the pages that have a free slot are kept apart, so no operation scans the
// whole table.
struct Page {
  Page* next;
  int used;
  int searchFrom;  // every bitmap word before it is full
  uint64_t usedBits[(kSlotsPerPage + 63) / 64];
  Slot slots[kSlotsPerPage];
};

struct Location {
  Page* page;
  int slot;
};

void* platformAllocation(std::size_t size) { return std::calloc(1, size); }

enum class Filling { kZeroed, kUnfilled };

RawAllocation rawAllocation = platformAllocation;
Page* newestPage = nullptr;
std::vector<Page*>& pagesWithRoom() {
  static auto* pages = new std::vector<Page*>();
  return *pages;
}
BlockIndex<Location>& index() {
  static auto* blocks = new BlockIndex<Location>();
  return *blocks;
}

// A test's seam serves both kinds of block.
void* rawAllocate(std::size_t size, const char* module, int line,
                  Filling filling = Filling::kZeroed) {
  void* block =
      filling == Filling::kUnfilled && rawAllocation == platformAllocation
          ? std::malloc(size)
          : rawAllocation(size);
  if (block == nullptr) {
    std::fprintf(errorStream(),
                 "\nError: Could not allocate %u bytes for Quill use in "
                 "module %s, line %d",
                 static_cast<unsigned>(size), module, line);
    fatalStop();
  }
  return block;
}

int firstFreeSlot(Page& page) {
  for (int word = page.searchFrom;
       word < static_cast<int>(std::size(page.usedBits)); ++word) {
    uint64_t freeBits = ~page.usedBits[word];
    if (freeBits != 0) {
      int slot = word * 64 + __builtin_ctzll(freeBits);
      if (slot < kSlotsPerPage) {
        page.searchFrom = word;
        return slot;
      }
    }
  }
  return -1;
}

Location track(void* block, std::size_t size) {
  std::vector<Page*>& withRoom = pagesWithRoom();
  if (withRoom.empty()) {
    // Only the bookkeeping is zeroed: a slot is written before it is read,
    // and the part of a page never used is never brought into memory.
    auto* page = static_cast<Page*>(
        rawAllocate(sizeof(Page), "quill_debug", __LINE__, Filling::kUnfilled));
    std::memset(page, 0, offsetof(Page, slots));
    page->next = newestPage;
    newestPage = page;
    withRoom.push_back(page);
  }
  Page* page = withRoom.back();
  int slot = firstFreeSlot(*page);
  page->slots[slot] = Slot{block, nullptr, static_cast<int32_t>(size), false};
  page->usedBits[slot / 64] |= uint64_t{1} << (slot % 64);
  if (++page->used == kSlotsPerPage) withRoom.pop_back();
  index().insert(block, Location{page, slot});
  return Location{page, slot};
}

void freeSlot(Page& page, int slot) {
  if (page.used == kSlotsPerPage) pagesWithRoom().push_back(&page);
  std::free(page.slots[slot].block);
  page.slots[slot] = Slot{};
  page.usedBits[slot / 64] &= ~(uint64_t{1} << (slot % 64));
  page.searchFrom = std::min(page.searchFrom, slot / 64);
  --page.used;
}

void* allocateTracked(std::size_t size, const char* module, int line,
                      Filling filling) {
  if (size == 0) return nullptr;
  void* block = rawAllocate(size, module, line, filling);
  track(block, size);
  return block;
}

void* allocateTrackedOwned(void* owner, std::size_t size, const char* module,
                           int line, Filling filling) {
  if (size == 0) return nullptr;
  void* block = rawAllocate(size, module, line, filling);
  Location location = track(block, size);
  Location at;
  if (owner != nullptr && index().find(owner, at)) {
    Slot& ownerSlot = at.page->slots[at.slot];
    if (!ownerSlot.isOwned) {
      Slot& slot = location.page->slots[location.slot];
      slot.isOwned = true;
      slot.owned = ownerSlot.owned;
      ownerSlot.owned = block;
    }
  }
  return block;
}

}  // namespace

void* allocate(std::size_t size, const char* module, int line) {
  return allocateTracked(size, module, line, Filling::kZeroed);
}

void* allocateUnfilled(std::size_t size, const char* module, int line) {
  return allocateTracked(size, module, line, Filling::kUnfilled);
}

void* allocateOwned(void* owner, std::size_t size, const char* module,
                    int line) {
  return allocateTrackedOwned(owner, size, module, line, Filling::kZeroed);
}

void* allocateOwnedUnfilled(void* owner, std::size_t size, const char* module,
                            int line) {
  return allocateTrackedOwned(owner, size, module, line, Filling::kUnfilled);
}

void release(void* block) {
  if (block == nullptr) return;
  Location location;
  if (!index().remove(block, location)) return;
  Slot& slot = location.page->slots[location.slot];
  if (slot.isOwned) {
    index().insert(block, location);
    return;
  }
  void* owned = slot.owned;
  freeSlot(*location.page, location.slot);
  while (owned != nullptr && index().remove(owned, location)) {
    void* next = location.page->slots[location.slot].owned;
    freeSlot(*location.page, location.slot);
    owned = next;
  }
}

void* adopt(void* block, std::size_t size) {
  if (block != nullptr) track(block, size);
  return block;
}

char* copyText(const char* text, std::size_t length, const char* module,
               int line) {
  auto* copy = static_cast<char*>(allocateUnfilled(length + 1, module, line));
  if (length > 0) std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

// Only the slots the bitmap marks are visited: the rest of a page was
// never written, and reading it would bring its memory in for nothing.
void releaseAll() {
  for (Page* page = newestPage; page != nullptr;) {
    for (int word = 0; word < static_cast<int>(std::size(page->usedBits));
         ++word) {
      for (uint64_t used = page->usedBits[word]; used != 0; used &= used - 1) {
        freeSlot(*page, word * 64 + __builtin_ctzll(used));
      }
    }
    Page* older = page->next;
    std::free(page);
    page = older;
  }
  newestPage = nullptr;
  pagesWithRoom().clear();
  index().clear();
}

void compact() {
  Page** link = &newestPage;
  while (*link != nullptr) {
    Page* page = *link;
    if (page->used == 0) {
      *link = page->next;
      std::free(page);
    } else {
      link = &page->next;
    }
  }
  std::vector<Page*>& withRoom = pagesWithRoom();
  withRoom.clear();
  for (Page* page = newestPage; page != nullptr; page = page->next) {
    if (page->used < kSlotsPerPage) withRoom.push_back(page);
  }
  index().shrinkToFit();
}

std::size_t liveBlockCount() { return index().size(); }

std::size_t trackingPageCount() {
  std::size_t pages = 0;
  for (Page* page = newestPage; page != nullptr; page = page->next) ++pages;
  return pages;
}

void setRawAllocation(RawAllocation allocation) {
  rawAllocation = allocation != nullptr ? allocation : platformAllocation;
}

}  // namespace session
