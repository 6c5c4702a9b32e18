// One kernel step over 10,000 processes in nested lists: each of the four
// kernel lists holds a tree of 2,500 processes (20 parents with 3 child lists
// of 41 leaves), and every process passes each event on to its children, as
// the engine's managers and the game do. Reports ns per process per frame
// (the five events of a frame plus the state advance).
#include <benchmark/benchmark.h>

#include <cstdint>
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

// The tree is built once for the program. The benchmark library calls the
// timed function several times, and a tree rebuilt on each call would reuse
// the blocks of the one just freed, which malloc hands back last-freed first
// for small objects: each call would then time a different memory layout.
struct Tree {
  SKernel kernel;
  int count = 0;

  Tree() {
    kernel.Start();
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
            parent->AddChild(cl, new Node(0), 0);
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
  }
};

void BM_KernelStep(benchmark::State& state) {
  static Tree tree;
  for (auto _ : state) tree.kernel.Step();
  state.counters["processes"] = tree.count;
  state.counters["ns_per_process_frame"] = benchmark::Counter(
      static_cast<double>(tree.count) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KernelStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
