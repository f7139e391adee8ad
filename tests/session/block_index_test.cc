#include "session/block_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <vector>

namespace session {
namespace {

// Inserts and removals in random order, checked against a plain map; the
// addresses come in runs, as an allocator hands them out, so probe
// sequences collide and removals must shift entries back correctly.
TEST(BlockIndex, AgreesWithAPlainMapThroughGrowthAndRemoval) {
  BlockIndex<int> index;
  std::map<uintptr_t, int> reference;
  std::mt19937 random(7);
  std::vector<uintptr_t> live;
  for (int step = 0; step < 200000; ++step) {
    bool insert = live.empty() || random() % 3 != 0;
    if (insert) {
      uintptr_t address = 0x100000 + (random() % 50000) * 16;
      if (reference.count(address) != 0) continue;
      index.insert(reinterpret_cast<void*>(address), step);
      reference[address] = step;
      live.push_back(address);
    } else {
      std::size_t pick = random() % live.size();
      uintptr_t address = live[pick];
      live[pick] = live.back();
      live.pop_back();
      int value = -1;
      ASSERT_TRUE(index.remove(reinterpret_cast<void*>(address), value));
      ASSERT_EQ(value, reference[address]);
      reference.erase(address);
      ASSERT_FALSE(index.remove(reinterpret_cast<void*>(address), value));
    }
    ASSERT_EQ(index.size(), reference.size());
    if (step % 50000 == 0) index.shrinkToFit();
  }
  for (const auto& [address, expected] : reference) {
    int value = -1;
    ASSERT_TRUE(index.remove(reinterpret_cast<void*>(address), value));
    EXPECT_EQ(value, expected);
  }
  EXPECT_EQ(index.size(), 0u);
}

}  // namespace
}  // namespace session
