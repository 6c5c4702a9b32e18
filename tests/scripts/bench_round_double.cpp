// A benchmark program for the test of the benchmark round: one case that
// runs, one that stops with its error, one that aborts the program.
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_Runs(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(state.iterations());
}
BENCHMARK(BM_Runs);

void BM_StopsWithError(benchmark::State& state) {
  state.SkipWithError("the case cannot run");
  for (auto _ : state) {
  }
}
BENCHMARK(BM_StopsWithError);

void BM_Aborts(benchmark::State&) { std::abort(); }
BENCHMARK(BM_Aborts);

}  // namespace

BENCHMARK_MAIN();
