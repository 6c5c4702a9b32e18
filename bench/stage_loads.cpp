// What loading a damaged stage file costs: the tunnel (".tnl") parse and
// build, and the stage script (".stg") parse with its links, on files laid
// out word by word in the shapes that once held a frame for seconds or
// minutes. Each reports the file's size and microseconds per load; the
// load's work must grow with the file, so the larger file of a shape costs
// about as many times more as it is larger. Peak memory: run one benchmark
// under /usr/bin/time -v (--benchmark_filter=...).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "game/stage/ScriptStgRsc.h"
#include "game/stage/TnlRsc.h"
#include "platform/message_box.h"
#include "support/LeBytes.h"

namespace {

using Bytes = testsupport::LeBytes;

// K textures, a block S of T = 0 (two rows) and G empty groups: 1.6 MB for
// K = 20,000 and G = 250,000; 6.3 MB for K = 40,000 and G = 1,250,000.
std::vector<uint8_t> EmptyGroupsTunnel(uint32_t k, uint32_t g) {
  Bytes f;
  f.At(0x10C, k);
  f.b.resize(0x120 + size_t(k) * 32 + 2 * 16, 0);
  const size_t m = f.b.size();
  f.At(m + 0x0C, g);
  f.b.resize(m + 0x20 + size_t(g) * 4, 0);
  return f.b;
}

// K textures and one group of K strips of three vertices, one per texture.
std::vector<uint8_t> OneGroupTunnel(uint32_t k) {
  Bytes f;
  f.At(0x10C, k);
  f.b.resize(0x120 + size_t(k) * 32 + 2 * 16, 0);
  const size_t m = f.b.size();
  f.At(m + 0x0C, 1);
  f.b.resize(m + 0x20, 0);
  f.W(k);
  for (uint32_t t = k; t-- > 0;) f.W(t).W(0).W(3).Zeros(3 * 8);
  return f.b;
}

void TunnelLoad(benchmark::State& state, const std::vector<uint8_t>& file) {
  for (auto _ : state) {
    TunnelMesh mesh;
    if (!ParseTunnelFile(file.data(), file.size(), &mesh)) state.SkipWithError("not parsed");
    TnlRsc tnl;
    tnl.Build(mesh);
    benchmark::DoNotOptimize(tnl.Parts().data());
  }
  state.counters["file_bytes"] = double(file.size());
}

void BM_TunnelEmptyGroups(benchmark::State& state) {
  TunnelLoad(state, EmptyGroupsTunnel(uint32_t(state.range(0)), uint32_t(state.range(1))));
}
BENCHMARK(BM_TunnelEmptyGroups)->Args({20000, 250000})->Args({40000, 1250000})->Unit(benchmark::kMillisecond);

void BM_TunnelOneGroup(benchmark::State& state) { TunnelLoad(state, OneGroupTunnel(uint32_t(state.range(0)))); }
BENCHMARK(BM_TunnelOneGroup)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

// A script whose section `lookups` holds n records that each name an id no
// element of section `table` holds, and m such elements: every link looks
// through the whole table. Generators naming bullet paths (sections 0 and
// 4) or spawns naming parameters (sections 3 and 2).
std::vector<uint8_t> MissingIdsScript(bool generators, uint32_t n, uint32_t m) {
  Bytes f;
  f.Zeros(5);
  auto open = [&f](int section, uint32_t count) {
    f.At(4 * size_t(section), uint32_t(f.b.size()));
    f.W(0).W(0).W(count);
  };
  open(0, generators ? 1 : 0);
  if (generators) {
    f.W(1).Zeros(4).W(n).Zeros(3);
    for (uint32_t i = 0; i < n; ++i) f.Zeros(23).W(0x7FFFFFFF).W(0);
  }
  open(1, 0);
  open(2, generators ? 0 : m);
  if (!generators)
    for (uint32_t i = 0; i < m; ++i) f.W(i).Zeros(31);
  open(3, generators ? 0 : n);
  if (!generators)
    for (uint32_t i = 0; i < n; ++i) f.W(0).W(0x7F8).W(0x7FFFFFFF).Zeros(7);
  open(4, generators ? m : 0);
  if (generators)
    for (uint32_t i = 0; i < m; ++i) f.W(i).W(0);
  return f.b;
}

void ScriptLoad(benchmark::State& state, const std::vector<uint8_t>& file) {
  // The spawn script tells its missing parameters once a load.
  plat::SetMessageBoxQuiet(true);
  for (auto _ : state) {
    StageScript s;
    if (!ParseStageScript(file.data(), file.size(), &s)) state.SkipWithError("not parsed");
    benchmark::DoNotOptimize(s.timeline.data());
  }
  plat::SetMessageBoxQuiet(false);
  state.counters["file_bytes"] = double(file.size());
}

// 30,000 generators and 400,000 bullet paths: 6.2 MB.
void BM_ScriptGeneratorPaths(benchmark::State& state) {
  ScriptLoad(state, MissingIdsScript(true, uint32_t(state.range(0)), uint32_t(state.range(1))));
}
BENCHMARK(BM_ScriptGeneratorPaths)->Args({7500, 100000})->Args({30000, 400000})->Unit(benchmark::kMillisecond);

// 75,000 spawns and 23,000 parameters: 5.9 MB.
void BM_ScriptSpawnParams(benchmark::State& state) {
  ScriptLoad(state, MissingIdsScript(false, uint32_t(state.range(0)), uint32_t(state.range(1))));
}
BENCHMARK(BM_ScriptSpawnParams)->Args({18750, 5750})->Args({75000, 23000})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
