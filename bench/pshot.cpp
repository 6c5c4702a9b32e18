// The player-shot manager's frame: 128 live shots moved and written into
// the one shared batch of 128 quads, and a frame of 16 shots fired and 16
// released, as a volley with four options does. Reports microseconds per
// frame and the heap allocations per frame (goal: none; the pool and the
// batch are sized once).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "game/player/PShotMan.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

// The counting operators stay out of line: GCC would otherwise pair an
// inlined malloc() or free() with the operator call on the other side and
// report a mismatch that is none.
__attribute__((noinline)) void* operator new(std::size_t n) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// PShotMan with its frame handler reachable.
class BenchShots : public PShotMan {
 public:
  void Frame() { End(0); }
};

void BM_PShotManFrame(benchmark::State& state) {
  BenchShots shots;
  shots.SetStatic(true);
  SProc root;
  root.StartRoot(0);
  root.AddChildProcess(&shots, 0);
  // Slow shots in a grid: none leaves the play area during the run.
  for (int i = 0; i < PShotMan::kCapacity; ++i)
    shots.Fire(0, 0, -200.0f + 25.0f * static_cast<float>(i % 16), -300.0f + 70.0f * static_cast<float>(i / 16),
               0.0f, 0.0f, 1.0f, 1.5f, 8.0f);
  long before = g_allocations.load();
  for (auto _ : state) {
    shots.Frame();
    benchmark::ClobberMemory();
  }
  state.counters["allocations/frame"] =
      static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations());
  state.counters["quads"] = shots.Batch().GetActiveCount();
}
BENCHMARK(BM_PShotManFrame)->Unit(benchmark::kMicrosecond);

void BM_PShotManVolleys(benchmark::State& state) {
  BenchShots shots;
  shots.SetStatic(true);
  SProc root;
  root.StartRoot(0);
  root.AddChildProcess(&shots, 0);
  long before = g_allocations.load();
  for (auto _ : state) {
    // Sixteen shots fired fast enough that each lives 10 frames.
    for (int i = 0; i < 16; ++i)
      shots.Fire(0, 0, -150.0f + 20.0f * static_cast<float>(i), 300.0f, 0.0f, -66.0f, 1.0f, 1.5f, 8.0f);
    shots.Frame();
    benchmark::ClobberMemory();
  }
  state.counters["allocations/frame"] =
      static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations());
  state.counters["live"] = shots.LiveCount();
}
BENCHMARK(BM_PShotManVolleys)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
