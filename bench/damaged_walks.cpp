// What a frame costs over a damaged stage file that still loads: the
// stage world's frame (MapMng draws and steps its rail at one key per
// frame, on the null graphics device) with one object layer or the tunnel
// loaded from a file of many entries of which a few are live, and a
// banner's per-frame material flag over a model of many empty material
// groups. Each runs at two sizes: the time per frame must not grow with
// the file (once loaded, a frame walks what is near and visible). The
// counters give the file's size and the steps of one frame's walk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/stage/MapMng.h"
#include "bench/stage_bench.h"
#include "game/stage/StageFileWriter.h"
#include "support/LeBytes.h"
#include "vrax/resource/ModelWriter.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

namespace fs = std::filesystem;

constexpr int kKeys = 4000;
constexpr int kLive = 16;  // objects or tunnel parts shown

using stage_bench::Write;

// n placed objects, the first kLive shown from key 0.
void PlacedObjects(const fs::path& root, uint32_t n) {
  Write(root / "B/set.opl", stage_file::WritePlacementList(std::vector<stage_file::Placement>(n)));
  VisibilityStep shown{0, {}};
  for (uint32_t i = 0; i < kLive; ++i) shown.indices.push_back(i * (n / kLive));
  Write(root / "B/set_a.ovl", stage_file::WriteVisibilityList({shown}));
}

// A placement list of kLive objects and a visibility list of n steps of key
// 0 after its first, then one step at key 100,000.
void LowKeySteps(const fs::path& root, uint32_t n) {
  Write(root / "B/set.opl", stage_file::WritePlacementList(std::vector<stage_file::Placement>(kLive)));
  testsupport::LeBytes f;
  f.W(n + 2).W(0).W(0).W(kLive);
  for (uint32_t i = 0; i < kLive; ++i) f.W(i);
  f.b.resize(f.b.size() + size_t(n) * 8, 0);
  f.W(100000).W(0);
  Write(root / "B/set_a.ovl", f.b);
}

// A tunnel of n groups of which kLive, spread over them, hold a strip;
// all of them shown from key 0.
void TunnelGroups(const fs::path& root, uint32_t n) {
  testsupport::LeBytes f;
  f.At(0x10C, 1);
  f.b.resize(0x120 + 32 + 2 * 16, 0);
  const size_t m = f.b.size();
  f.At(m + 0x0C, n);
  f.b.resize(m + 0x20, 0);
  VisibilityStep shown{0, {}};
  for (uint32_t g = 0; g < n; ++g) {
    if (g % (n / kLive) == 0 && shown.indices.size() < kLive) {
      f.W(1).W(0).W(0).W(3);
      for (int v = 0; v < 3; ++v) f.Floats({float(v), 0, -float(g), 1, 1, 1, 0, 0});
      shown.indices.push_back(g);
    } else {
      f.W(0);
    }
  }
  Write(root / "B/trn.tnl", f.b);
  Write(root / "B/trn_a.ovl", stage_file::WriteVisibilityList({shown}));
}

// The stage world with a straight path and the files of `make`; runs
// frames of MapMng with the rail looping over keys 10 to 3,000.
template <class Make>
void WorldFrames(benchmark::State& state, bool tunnel, Make make) {
  stage_bench::World w(1);
  Write(w.Root() / "B/path_a.cam", stage_file::WriteCameraPath(std::vector<CamKey>(kKeys)));
  make(w.Root());
  MapMng& map = w.map;
  map.paths[0].Target().Put(w.Load(RscTag("CAM"), "\\B\\path_a"));
  ObjPlacer& layer = map.layers[0];
  if (tunnel) {
    map.tunnel.Target().Put(w.Load(RscTag("TNL"), "\\B\\trn"));
    map.tunnelVisibility[0].Target().Put(w.Load(RscTag("OVL"), "\\B\\trn_a"));
    map.tunnelImage.Set(&w.image);
  } else {
    layer.objects.Target().Put(w.Load(RscTag("OPL"), "\\B\\set"));
    layer.visibility[0].Target().Put(w.Load(RscTag("OVL"), "\\B\\set_a"));
    layer.texture.Set(&w.image);
    layer.model.Set(&w.model);
  }
  w.rm.Sync(1);
  if ((tunnel && map.GetTunnel() == nullptr) || (!tunnel && layer.GetVisibility(0) == nullptr))
    state.SkipWithError("the files did not load");
  map.step = map.steps + 1;
  map.speed = 1.0f;
  map.armedT = 10.0f;
  map.armedAt = 3000.0f;
  map.armedPath = 0;
  map.armed = 1;
  map.SetSection(0, 0.0f);
  // The first frame after the jump to key 0 and its step to key 1.
  w.Frame();
  for (auto _ : state) w.Frame();
  state.counters["packets"] = double(w.gp.GetQueue()->Entries().size());
  if (tunnel && map.GetTunnel() != nullptr) state.counters["walk_steps"] = double(map.GetTunnel()->DrawSteps());
  if (!tunnel && layer.GetObjects() != nullptr) state.counters["walk_steps"] = double(layer.GetObjects()->WalkSteps());
  if (!tunnel) state.counters["visibility_steps"] = double(layer.cursor.steps);
}

// 100,000 and 900,000 objects (2.8 and 25 MB of file), 16 shown.
void BM_FramePlacedObjects(benchmark::State& state) {
  const uint32_t n = uint32_t(state.range(0));
  WorldFrames(state, false, [n](const fs::path& root) { PlacedObjects(root, n); });
  state.counters["file_bytes"] = double(8 + uint64_t(n) * 28);
}
BENCHMARK(BM_FramePlacedObjects)->Arg(100000)->Arg(900000)->Unit(benchmark::kMicrosecond);

// 100,000 and 1,900,000 steps of key 0 after the first (0.8 and 15 MB).
void BM_FrameLowKeySteps(benchmark::State& state) {
  const uint32_t n = uint32_t(state.range(0));
  WorldFrames(state, false, [n](const fs::path& root) { LowKeySteps(root, n); });
  state.counters["file_bytes"] = double(8 + uint64_t(n) * 8);
}
BENCHMARK(BM_FrameLowKeySteps)->Arg(100000)->Arg(1900000)->Unit(benchmark::kMicrosecond);

// 100,000 and 2,000,000 tunnel groups (0.4 and 8 MB), 16 with a strip.
void BM_FrameTunnelGroups(benchmark::State& state) {
  const uint32_t n = uint32_t(state.range(0));
  WorldFrames(state, true, [n](const fs::path& root) { TunnelGroups(root, n); });
  state.counters["file_bytes"] = double(0x120 + 32 + 32 + 0x20 + uint64_t(n) * 4);
}
BENCHMARK(BM_FrameTunnelGroups)->Arg(100000)->Arg(2000000)->Unit(benchmark::kMicrosecond);

// A banner's flag per frame over a model of one drawn group and 10,000 or
// 1,000,000 empty ones (4 MB).
void BM_FlagMaterialGroups(benchmark::State& state) {
  ModelFile f;
  f.hasTag = true;
  f.title = "banner";
  f.frameCount = 1;
  ModelFileMaterial mat;
  mat.name = "0 cloth";
  f.materialGroups.push_back({mat});
  f.materialGroups.resize(size_t(state.range(0)) + 1);
  ModelFileRecord n;
  n.name = "0";
  n.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  n.uvs = {{0, 0}, {1, 0}, {0, 1}};
  n.faces = {{{0, 1, 2}, 0}};
  n.materialGroup = 0;
  f.nodes = {n};
  const std::vector<uint8_t> bytes = WriteModelFile(f);
  const uint32_t p[4] = {0, 0, 0, 0};
  SRsc_Model_Ex model;
  if (!model.Build(bytes.data(), bytes.size(), nullptr, 0, p)) state.SkipWithError("not built");
  for (auto _ : state) {
    model.FlagMesh(0);
    benchmark::DoNotOptimize(model.GetMaterialGroup(0));
  }
  state.counters["file_bytes"] = double(bytes.size());
  state.counters["walk_steps"] = double(model.FlagSteps());
}
BENCHMARK(BM_FlagMaterialGroups)->Arg(10000)->Arg(1000000)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
