// A map from block addresses to a small value, for the tracked allocator.
// Open addressing with linear probing in a power-of-two table kept at most
// half full: a lookup reads one or two neighbouring entries, and an insert
// allocates nothing but the occasional doubling of the table. Erasing
// shifts the following entries back, so no tombstones build up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace session {

template <typename Value>
class BlockIndex {
 public:
  std::size_t size() const { return count_; }

  // `block` must not be present already.
  void insert(void* block, Value value) {
    if ((count_ + 1) * 2 > entries_.size()) {
      rehash(entries_.empty() ? kSmallest : entries_.size() * 2);
    }
    std::size_t i = home(block);
    while (entries_[i].block != nullptr) i = (i + 1) & mask();
    entries_[i] = Entry{block, value};
    ++count_;
  }

  // Gives the value of `block`; false when it is not present.
  bool find(const void* block, Value& value) const {
    std::size_t at = position(block);
    if (at == kAbsent) return false;
    value = entries_[at].value;
    return true;
  }

  // Removes `block` and gives its value; false when it is not present.
  bool remove(const void* block, Value& value) {
    std::size_t hole = position(block);
    if (hole == kAbsent) return false;
    value = entries_[hole].value;
    for (std::size_t j = (hole + 1) & mask(); entries_[j].block != nullptr;
         j = (j + 1) & mask()) {
      std::size_t probed = (j - home(entries_[j].block)) & mask();
      if (probed >= ((j - hole) & mask())) {
        entries_[hole] = entries_[j];
        hole = j;
      }
    }
    entries_[hole] = Entry{};
    --count_;
    return true;
  }

  void clear() {
    entries_.clear();
    entries_.shrink_to_fit();
    count_ = 0;
    shift_ = 64;
  }

  // Gives back table space after many blocks went.
  void shrinkToFit() {
    std::size_t wanted = kSmallest;
    while (wanted < count_ * 4) wanted *= 2;
    if (wanted < entries_.size()) rehash(wanted);
  }

 private:
  struct Entry {
    void* block;
    Value value;
  };

  static constexpr std::size_t kSmallest = 64;
  static constexpr std::size_t kAbsent = ~std::size_t{0};

  std::size_t mask() const { return entries_.size() - 1; }

  // Blocks are at least 16-byte aligned. Each 4 KiB of addresses gets a
  // spread-out region of 256 entries and keeps its order inside it, so the
  // blocks of one answer, allocated one after the other, share cache lines
  // of the table instead of landing all over it.
  std::size_t home(const void* block) const {
    uint64_t bits = reinterpret_cast<uintptr_t>(block) >> 4;
    uint64_t region = ((bits >> 8) * 0x9E3779B97F4A7C15ull) >> shift_;
    return static_cast<std::size_t>(region ^ (bits & 0xFF)) & mask();
  }

  std::size_t position(const void* block) const {
    if (count_ == 0) return kAbsent;
    for (std::size_t i = home(block);; i = (i + 1) & mask()) {
      if (entries_[i].block == block) return i;
      if (entries_[i].block == nullptr) return kAbsent;
    }
  }

  void rehash(std::size_t capacity) {
    std::vector<Entry> old = std::move(entries_);
    entries_.assign(capacity, Entry{});
    shift_ = 64 - __builtin_ctzll(capacity);
    count_ = 0;
    for (const Entry& entry : old) {
      if (entry.block != nullptr) insert(entry.block, entry.value);
    }
  }

  std::vector<Entry> entries_;
  std::size_t count_ = 0;
  int shift_ = 64;
};

}  // namespace session
