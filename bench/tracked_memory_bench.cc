// The cost of one allocate/release pair must not grow with the number of
// blocks already live: a command that builds a 100,000-node answer tree
// must not spend its time scanning the tracking table.
#include <benchmark/benchmark.h>

#include <vector>

#include "session/tracked_memory.h"

namespace {

void fillTable(int liveBlocks, std::vector<void*>& blocks) {
  session::releaseAll();
  blocks.clear();
  for (int i = 0; i < liveBlocks; ++i) {
    blocks.push_back(session::allocate(32, "quill_soap", __LINE__));
  }
}

// One allocate/release pair with N blocks live; its time per pair should
// stay flat from 1k to 100k.
void AllocateReleaseWithLiveBlocks(benchmark::State& state) {
  std::vector<void*> blocks;
  fillTable(static_cast<int>(state.range(0)), blocks);
  for (auto _ : state) {
    void* block = session::allocate(32, "quill_soap", __LINE__);
    benchmark::DoNotOptimize(block);
    session::release(block);
  }
  session::releaseAll();
}
BENCHMARK(AllocateReleaseWithLiveBlocks)->Arg(1000)->Arg(10000)->Arg(100000);

// Releasing a block that sits among N live ones (oldest first, the worst
// case for a scan from the newest page).
void ReleaseOldestWithLiveBlocks(benchmark::State& state) {
  std::vector<void*> blocks;
  fillTable(static_cast<int>(state.range(0)), blocks);
  std::size_t next = 0;
  for (auto _ : state) {
    session::release(blocks[next]);
    blocks[next] = session::allocate(32, "quill_soap", __LINE__);
    next = (next + 1) % blocks.size();
  }
  session::releaseAll();
}
BENCHMARK(ReleaseOldestWithLiveBlocks)->Arg(1000)->Arg(10000)->Arg(100000);

// A whole command line: build N blocks, release them one by one, compact.
void LineOfBlocks(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::vector<void*> blocks(count);
  for (auto _ : state) {
    for (int i = 0; i < count; ++i) {
      blocks[i] = session::allocate(32, "quill_soap", __LINE__);
    }
    for (int i = 0; i < count; ++i) session::release(blocks[i]);
    session::compact();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(LineOfBlocks)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
