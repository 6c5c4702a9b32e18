// The stage world's frame: MapMng draws (64 object layers of 200 placed
// objects each, with their visibility lists stepping as the rail passes,
// and a tunnel of 100 parts) and steps its rail at one key per frame, on
// the null graphics device. The files are written by the stage-file writers
// and loaded through the resource manager as a stage does. The armed
// section change loops the rail, so every frame does the same kind of work.
// Reports microseconds per frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/stage_bench.h"
#include "game/stage/StageFileWriter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kKeys = 20000;
constexpr int kObjects = 200;

using stage_bench::Write;

std::vector<uint8_t> Steps(const std::multimap<int, uint32_t>& toggles) {
  std::vector<VisibilityStep> steps;
  for (const auto& [key, index] : toggles) {
    if (steps.empty() || steps.back().key != key) steps.push_back(VisibilityStep{key, {}});
    steps.back().indices.push_back(index);
  }
  return stage_file::WriteVisibilityList(steps);
}

// Path, one placement list per layer with its visibility list (objects 100
// keys apart, each shown 400 keys before its key and hidden 30 after), and
// the tunnel with its list.
void WriteFiles(const fs::path& root) {
  std::vector<CamKey> keys(kKeys);
  for (int k = 0; k < kKeys; ++k) keys[size_t(k)].z = -12.0f * float(k), keys[size_t(k)].x = std::sin(float(k) * 0.01f);
  Write(root / "B/path_a.cam", stage_file::WriteCameraPath(keys));
  for (int layer = 0; layer < MapMng::kLayers; ++layer) {
    std::vector<stage_file::Placement> objects(kObjects);
    std::multimap<int, uint32_t> toggles;
    for (int j = 0; j < kObjects; ++j) {
      const int key = 100 + j * 100 + layer;
      objects[size_t(j)].x = float(layer * 10);
      objects[size_t(j)].z = -12.0f * float(key);
      toggles.emplace(key > 400 ? key - 400 : 0, uint32_t(j));
      toggles.emplace(key + 30, uint32_t(j));
    }
    const std::string name = "B/set" + std::to_string(layer);
    Write(root / (name + ".opl"), stage_file::WritePlacementList(objects));
    Write(root / (name + "_a.ovl"), Steps(toggles));
  }
  TunnelMesh mesh;
  mesh.textureCount = 2;
  std::multimap<int, uint32_t> toggles;
  for (int p = 0; p < 100; ++p) {
    const float z0 = -12.0f * float(p * 200), z1 = -12.0f * float((p + 1) * 200);
    mesh.groups.push_back({TunnelRecord{uint32_t(p % 2),
                                        {{-600, -400, z0, 1, 1, 1, 0, 0},
                                         {600, -400, z0, 1, 1, 1, 1, 0},
                                         {-600, -400, z1, 1, 1, 1, 0, 4},
                                         {600, -400, z1, 1, 1, 1, 1, 4}}}});
    toggles.emplace(p * 200 > 600 ? p * 200 - 600 : 0, uint32_t(p));
    toggles.emplace((p + 1) * 200 + 100, uint32_t(p));
  }
  Write(root / "B/trn.tnl", stage_file::WriteTunnel(mesh));
  Write(root / "B/trn_a.ovl", Steps(toggles));
}

void BM_MapMngFrame(benchmark::State& state) {
  stage_bench::World w(2);
  WriteFiles(w.Root());
  MapMng& map = w.map;
  map.paths[0].Target().Put(w.Load(RscTag("CAM"), "\\B\\path_a"));
  map.tunnel.Target().Put(w.Load(RscTag("TNL"), "\\B\\trn"));
  map.tunnelVisibility[0].Target().Put(w.Load(RscTag("OVL"), "\\B\\trn_a"));
  map.tunnelImage.Set(&w.image);
  for (int layer = 0; layer < MapMng::kLayers; ++layer) {
    const std::string name = "\\B\\set" + std::to_string(layer);
    ObjPlacer& l = map.layers[layer];
    l.objects.Target().Put(w.Load(RscTag("OPL"), name));
    l.visibility[0].Target().Put(w.Load(RscTag("OVL"), name + "_a"));
    l.texture.Set(&w.image);
    l.model.Set(&w.model);
  }
  w.rm.Sync(1);
  map.SetSection(0, 0.0f);
  map.step = map.steps + 1;
  map.speed = 1.0f;
  // The rail loops over keys 1000 to 15000.
  map.armedT = 1000.0f;
  map.armedAt = 15000.0f;
  map.armedPath = 0;
  map.armed = 1;
  map.SetSection(0, 1000.0f);
  for (auto _ : state) w.Frame();
  // The time column is the time per frame; the packets one frame entered.
  state.counters["packets"] = double(w.gp.GetQueue()->Entries().size());
}
BENCHMARK(BM_MapMngFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
