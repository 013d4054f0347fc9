// Managed-heap costs: small-object allocation through the block cache against the system
// allocator, and the longest incremental collector step against marking the whole heap at once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "runtime/runtime.h"

namespace {

// 40 bytes: below the cache limit.
struct Small : Object {
  int payload[2];
};

// 64 bytes: the live heap's nodes, a binary tree per root slot.
struct Node : Object {
  Node* left;
  Node* right;
  long pad[2];
  void mark() override {
    gc_mark_q(left);
    gc_mark_q(right);
  }
};

void EndCycle() {
  gc_ext_malloced(gc_cycle_bytes + 1);
  gc_step(nullptr);
}

void BM_CacheAlloc(benchmark::State& state) {
  EndCycle();
  int count = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(new Small);
    // Every so often the garbage becomes collectable, so allocations recycle cached blocks.
    if (++count == 4096) {
      count = 0;
      EndCycle();
    }
  }
}
BENCHMARK(BM_CacheAlloc);

void BM_SystemAlloc(benchmark::State& state) {
  std::vector<void*> ring(4096, nullptr);
  size_t at = 0;
  for (auto _ : state) {
    std::free(ring[at]);
    ring[at] = std::malloc(sizeof(Small));
    benchmark::DoNotOptimize(ring[at]);
    at = (at + 1) % ring.size();
  }
  for (void* p : ring) std::free(p);
}
BENCHMARK(BM_SystemAlloc);

Array<Node*> liveRoots;

Node* Tree(int nodes) {
  if (nodes == 0) return nullptr;
  Node* node = new Node;
  gc_assign(node->left, Tree((nodes - 1) / 2));
  gc_assign(node->right, Tree(nodes - 1 - (nodes - 1) / 2));
  return node;
}

// Processor time, not wall time: the machine may be shared, and a step that was merely
// preempted did not cost the game anything.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// About 64 MiB of live trees, then each step follows 64 KiB of fresh garbage.
void BM_LongestStepVsFullMark(benchmark::State& state) {
  const int kLiveBytes = 64 << 20;
  const int kTrees = 256;
  gc_add_root(1000, &liveRoots);
  gc_assign(liveRoots, Array<Node*>(kTrees));
  for (int i = 0; i < kTrees; ++i) {
    gc_assign(liveRoots[i], Tree(kLiveBytes / kTrees / static_cast<int>(sizeof(Node))));
  }
  EndCycle();
  EndCycle();
  const int live = gc_alloced_bytes;
  for (auto _ : state) {
    // Marking everything in one go: the roots are queued, nothing is marked yet.
    double fullMark = 1e9;
    for (int i = 0; i < 3; ++i) {
      double t0 = CpuSeconds();
      gc_finish_cycle();
      fullMark = std::min(fullMark, CpuSeconds() - t0);
    }
    double longest = 0;
    const int kSteps = 3 * gc_cycle_bytes / (64 << 10);
    for (int s = 0; s < kSteps; ++s) {
      for (int k = 0; k < (64 << 10) / static_cast<int>(sizeof(Node)); ++k) {
        benchmark::DoNotOptimize(new Node);
      }
      double t0 = CpuSeconds();
      gc_step(nullptr);
      longest = std::max(longest, CpuSeconds() - t0);
    }
    state.counters["full_mark_ms"] = fullMark * 1e3;
    state.counters["longest_step_ms"] = longest * 1e3;
    state.counters["step_to_full"] = longest / fullMark;
    std::printf("live %d MiB: full mark %.3f ms, longest step %.3f ms, ratio 1/%.1f\n",
                live >> 20, fullMark * 1e3, longest * 1e3, fullMark / longest);
  }
  gc_remove_root(&liveRoots);
  liveRoots = Array<Node*>();
}
BENCHMARK(BM_LongestStepVsFullMark)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
