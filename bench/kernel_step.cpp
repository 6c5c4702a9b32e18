// One kernel step over 10,000 processes in nested lists: each of the four
// kernel lists holds a tree of 2,500 processes (20 parents with 3 child lists
// of 41 leaves), and every process passes each event on to its children, as
// the engine's managers and the game do. Reports ns per process per frame
// (the five events of a frame plus the state advance), and the share of
// steps from one leaf to the next that jump in memory: the walk follows the
// lists' links, so the cost of a process is mostly the wait for its cache
// line, which the prefetcher brings ahead only when the next process lies
// just after this one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "vrax/kernel/SKernel.h"

namespace {

// A process that does a little work per event and passes it on.
class Node : public SProc {
 public:
  explicit Node(int lists) : lists_(lists) {}
  int32_t Init(SProcArg) override {
    if (lists_ > 0) CreateLists(lists_);
    return 0;
  }
  int32_t Draw(SProcArg a) override { return Pass(EVENT_DRAW, a); }
  int32_t Begin(SProcArg a) override { return Pass(EVENT_BEGIN, a); }
  int32_t Main(SProcArg a) override { return Pass(EVENT_MAIN, a); }
  int32_t End(SProcArg a) override { return Pass(EVENT_END, a); }
  int32_t User(int32_t code, SProcArg a) override { return Pass(code, a); }
  uint64_t work = 0;

 private:
  int32_t Pass(int32_t code, SProcArg a) {
    work += static_cast<uint64_t>(code) + static_cast<uint64_t>(a);
    if (lists_ > 0) BroadcastAll(code, a);
    return 0;
  }
  int lists_;
};

// Two layouts of the same tree are timed:
// - built once, on fresh memory: the processes lie one after another in the
//   order the walk visits them;
// - built from freed blocks, as a game's processes are after a while of
//   play: as many blocks of a process's size as the tree takes are made and
//   freed in a mixed order (a fixed seed), as processes that came and went
//   at different times leave them, and the tree is built from what the
//   allocator hands back.
// Each is built once for its benchmark: the library calls the timed
// function several times, and a tree rebuilt on each call would time a
// different layout each call. One kernel lives at a time.
struct Tree {
  std::vector<void*> survivors;
  SKernel kernel;
  int count = 0;
  // Addresses of the leaves in walk order, kept outside the heap so that
  // recording them does not change the layout measured.
  static inline intptr_t leaves[10000];
  static inline int leafCount;

  explicit Tree(bool reused) {
    if (reused) {
      // Every other block stays in use (whatever outlived those processes),
      // so the freed ones cannot merge back into one run of memory.
      std::vector<void*> blocks(20000), freed;
      for (void*& b : blocks) b = ::operator new(sizeof(Node));
      for (size_t i = 0; i < blocks.size(); ++i) (i % 2 ? freed : survivors).push_back(blocks[i]);
      std::shuffle(freed.begin(), freed.end(), std::mt19937(12345));
      for (void* b : freed) ::operator delete(b);
    }
    kernel.Start();
    leafCount = 0;
    for (int l = 0; l < 4; ++l) {
      auto* top = new Node(1);
      kernel.AddChild(l, top, 0);
      ++count;
      for (int p = 0; p < 20; ++p) {
        auto* parent = new Node(3);
        top->AddChild(0, parent, 0);
        ++count;
        for (int cl = 0; cl < 3; ++cl) {
          for (int leaf = 0; leaf < 41; ++leaf) {
            auto* node = new Node(0);
            leaves[leafCount++] = reinterpret_cast<intptr_t>(node);
            parent->AddChild(cl, node, 0);
            ++count;
          }
        }
      }
    }
    // 4 x (1 + 20 x (1 + 123)) = 9,924 processes below the kernel.
    kernel.Step();
    kernel.Step();
  }
  ~Tree() {
    kernel.Kill(0);
    kernel.Dispose();
    for (void* b : survivors) ::operator delete(b);
  }

  // The share of steps from one leaf to the next in its list that land more
  // than 256 bytes away (or before it): each is a cache line the hardware
  // prefetcher did not bring.
  static double ScatteredSteps() {
    int scattered = 0, steps = 0;
    for (int i = 1; i < leafCount; ++i) {
      if (i % 41 == 0) continue;  // the first leaf of a list follows its parent
      const intptr_t d = leaves[i] - leaves[i - 1];
      ++steps;
      if (d <= 0 || d > 256) ++scattered;
    }
    return steps ? static_cast<double>(scattered) / steps : 0.0;
  }
};

std::unique_ptr<Tree> g_tree;
bool g_treeReused = false;

void Run(benchmark::State& state, bool reused) {
  if (!g_tree || g_treeReused != reused) {
    g_tree.reset();
    g_tree = std::make_unique<Tree>(reused);
    g_treeReused = reused;
  }
  Tree& tree = *g_tree;
  for (auto _ : state) tree.kernel.Step();
  state.counters["processes"] = tree.count;
  state.counters["scattered_steps"] = Tree::ScatteredSteps();
  state.counters["ns_per_process_frame"] = benchmark::Counter(
      static_cast<double>(tree.count) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_KernelStep(benchmark::State& state) { Run(state, false); }
BENCHMARK(BM_KernelStep)->Unit(benchmark::kMicrosecond);

void BM_KernelStepReusedBlocks(benchmark::State& state) { Run(state, true); }
BENCHMARK(BM_KernelStepReusedBlocks)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
