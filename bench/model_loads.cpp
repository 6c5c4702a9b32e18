// What building a damaged model costs, in the shapes that once held a frame
// for seconds: a skinned chain of N nodes (each node's ancestors walked when
// it was hung in and for its bind pose) and N triangles beside a texture-key
// table of E entries naming none of them (the table looked through for
// every node). Each reports the files' size and milliseconds per build; the
// build must grow with its files, so the larger pair of a shape costs about
// as many times more as it is larger. Peak memory: run one benchmark under
// /usr/bin/time -v (--benchmark_filter=...).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vrax/resource/ModelWriter.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

ModelFileRecord Triangle(uint32_t name) {
  ModelFileRecord r;
  r.name = std::to_string(name);
  r.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  r.uvs = {{0, 0}, {1, 0}, {0, 1}};
  r.faces = {{{0, 1, 2}, 0}};
  r.materialGroup = 0;
  return r;
}

ModelFile OneMaterial(bool versionFlag) {
  ModelFile m;
  m.hasTag = true;
  m.versionFlag = versionFlag;
  m.frameCount = 1;
  ModelFileMaterial mat;
  mat.name = "0";
  m.materialGroups.push_back({mat});
  return m;
}

void ModelBuild(benchmark::State& state, const ModelFile& f, const ModelTexAnim* table) {
  const std::vector<uint8_t> bma = WriteModelFile(f);
  const std::vector<uint8_t> tca = table ? WriteTexAnimNodeTable(*table) : std::vector<uint8_t>{};
  const uint32_t p[4] = {0, 0, 0, 0};
  for (auto _ : state) {
    SRsc_Model_Ex model;
    if (!model.Build(bma.data(), bma.size(), table ? tca.data() : nullptr, tca.size(), p))
      state.SkipWithError("not built");
    benchmark::DoNotOptimize(model.GetBind(0));
  }
  state.counters["file_bytes"] = double(bma.size() + tca.size());
}

// 5,000 nodes: 0.8 MB; 20,000 nodes: 3.2 MB.
void BM_ModelSkinnedChain(benchmark::State& state) {
  ModelFile f = OneMaterial(false);
  ModelFileRecord mesh = Triangle(0);
  mesh.hasSkin = true;
  mesh.skins.resize(mesh.positions.size());
  f.meshes = {mesh};
  for (uint32_t i = 0; i < uint32_t(state.range(0)); ++i) {
    ModelFileRecord r;
    r.name = std::to_string(i);
    r.hasExtra = i > 0;
    if (r.hasExtra) r.extra = std::to_string(i - 1);
    r.translation[0] = float(i);
    f.nodes.push_back(r);
  }
  ModelBuild(state, f, nullptr);
}
BENCHMARK(BM_ModelSkinnedChain)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// 2,500 nodes and 25,000 entries: 0.9 MB; 10,000 and 100,000: 3.5 MB.
void BM_ModelKeyTable(benchmark::State& state) {
  ModelFile f = OneMaterial(true);
  const uint32_t n = uint32_t(state.range(0));
  for (uint32_t i = 0; i < n; ++i) f.nodes.push_back(Triangle(i));
  ModelTexAnim table;
  ModelFileNodeKeys none;
  none.node = std::to_string(n);
  table.entries.assign(size_t(state.range(1)), none);
  ModelBuild(state, f, &table);
}
BENCHMARK(BM_ModelKeyTable)->Args({2500, 25000})->Args({10000, 100000})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
