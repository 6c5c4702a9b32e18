// What building and drawing a damaged model costs, in the shapes that once
// held a frame for seconds, took the stack or gigabytes: a skinned chain of
// N nodes (each node's ancestors walked when it was hung in and for its
// bind pose) and N triangles beside a texture-key table of E entries naming
// none of them (the table looked through for every node), both built;
// tracks of keys at frames 0 and 65535 (65,536 index entries a channel:
// built up to what a model may spend, refused beyond); a chain of N nodes
// drawn (once a recursion per level); a node of N faces, one per material
// of its group of N, with texture keys of N frames drawn (once a scan of the
// faces' groups and of the keys per material). Each reports the files' size
// and milliseconds per build or frame; the work must grow with the files,
// so the larger of a shape costs about as many times more as it is larger.
// Peak memory: run one benchmark under /usr/bin/time -v
// (--benchmark_filter=...).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vrax/graphic/SGpMan.h"
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

// n nodes, each the child of the one before, standing at x = its number.
void AddChain(ModelFile& f, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    ModelFileRecord r;
    r.name = std::to_string(i);
    r.hasExtra = i > 0;
    if (r.hasExtra) r.extra = std::to_string(i - 1);
    r.translation[0] = float(i);
    f.nodes.push_back(r);
  }
}

// Builds the model every iteration; a model that must build and does not
// is an error.
void ModelBuild(benchmark::State& state, const ModelFile& f, const ModelTexAnim* table, bool mustBuild = true) {
  const std::vector<uint8_t> bma = WriteModelFile(f);
  const std::vector<uint8_t> tca = table ? WriteTexAnimNodeTable(*table) : std::vector<uint8_t>{};
  const uint32_t p[4] = {0, 0, 0, 0};
  bool built = false;
  for (auto _ : state) {
    SRsc_Model_Ex model;
    built = model.Build(bma.data(), bma.size(), table ? tca.data() : nullptr, tca.size(), p);
    if (!built && mustBuild) state.SkipWithError("not built");
    benchmark::DoNotOptimize(model.GetBind(0));
  }
  state.counters["file_bytes"] = double(bma.size() + tca.size());
  state.counters["built"] = built ? 1 : 0;
}

// Builds the model once, then draws a frame of it every iteration on the
// graphic manager's null device: every material animating its texture,
// the tree drawn from node 0.
void ModelDraw(benchmark::State& state, const ModelFile& f, const ModelTexAnim* table) {
  const std::vector<uint8_t> bma = WriteModelFile(f);
  const std::vector<uint8_t> tca = table ? WriteTexAnimNodeTable(*table) : std::vector<uint8_t>{};
  const uint32_t p[4] = {0, 0, 0, 0};
  SGpMan::SetStartsSound(false);
  SGpDeviceRecord rec;
  rec.holdRate = 0;
  if (SGpMan::CreateDevice(&rec) != 0) {
    state.SkipWithError("no device");
    return;
  }
  {
    SRsc_Model_Ex model;
    if (!model.Build(bma.data(), bma.size(), table ? tca.data() : nullptr, tca.size(), p)) {
      state.SkipWithError("not built");
    } else {
      SGpMan::GetDevice()->BeginScene();
      for (auto _ : state) {
        model.GetDrawData().frameCounter = 0;
        for (int32_t g = 0; g < model.MaterialGroupCount(); ++g)
          for (ModelMaterial& m : model.GetMaterialGroup(g)->materials) m.update = 1;
        model.GetNode(0)->Execute();
      }
      SGpMan::GetDevice()->EndScene();
    }
  }
  SGpMan::ReleaseDevice();
  state.counters["file_bytes"] = double(bma.size() + tca.size());
}

// 5,000 nodes: 0.8 MB; 20,000 nodes: 3.2 MB.
void BM_ModelSkinnedChain(benchmark::State& state) {
  ModelFile f = OneMaterial(false);
  ModelFileRecord mesh = Triangle(0);
  mesh.hasSkin = true;
  mesh.skins.resize(mesh.positions.size());
  f.meshes = {mesh};
  AddChain(f, uint32_t(state.range(0)));
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

// One node with N tracks of position, rotation and scale keys at frames 0
// and 65535: 10 tracks (1.4 KB) build 3.9 MB of indices; 1,000 (113 KB)
// would take 393 MB and are refused.
void BM_ModelLongTracks(benchmark::State& state) {
  ModelFile f = OneMaterial(false);
  f.frameCount = 65536;
  ModelFileRecord r;
  r.name = "0";
  r.animated = true;
  f.nodes.push_back(r);
  ModelFileTrack t;
  t.node = "0";
  t.positions = {ModelFileKey{0, {0, 0, 0}}, ModelFileKey{65535, {1, 1, 1}}};
  t.rotations = t.scales = t.positions;
  f.tracks.assign(size_t(state.range(0)), t);
  ModelBuild(state, f, nullptr, state.range(0) <= 10);
}
BENCHMARK(BM_ModelLongTracks)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

// 5,000 nodes: 0.8 MB; 50,000 nodes: 8 MB.
void BM_ModelDrawChain(benchmark::State& state) {
  ModelFile f = OneMaterial(false);
  AddChain(f, uint32_t(state.range(0)));
  ModelDraw(state, f, nullptr);
}
BENCHMARK(BM_ModelDrawChain)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// N materials, N faces (one per material) and two key lists of N keys at
// frames -(N - 2) to 0 and 2^20 (the clock stays in the last segment):
// 256: 31 KB; 4,096: 488 KB.
void BM_ModelDrawMaterialsAndKeys(benchmark::State& state) {
  const uint32_t n = uint32_t(state.range(0));
  ModelFile f = OneMaterial(true);
  f.frameCount = 100;
  f.materialGroups[0].resize(n, f.materialGroups[0][0]);
  ModelFileRecord r = Triangle(0);
  r.animated = true;
  r.faces.clear();
  for (uint32_t i = 0; i < n; ++i) r.faces.push_back({{0, 1, 2}, i});
  f.nodes.push_back(r);
  ModelTexAnim table;
  ModelFileNodeKeys keys;
  keys.node = "0";
  keys.hasU = keys.hasV = true;
  for (int32_t k = 0; k + 1 < int32_t(n); ++k) keys.uKeys.push_back({k - int32_t(n) + 2, 0.0f});
  keys.uKeys.push_back({1 << 20, 1.0f});
  keys.vKeys = keys.uKeys;
  table.entries.push_back(keys);
  ModelDraw(state, f, &table);
}
BENCHMARK(BM_ModelDrawMaterialsAndKeys)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
