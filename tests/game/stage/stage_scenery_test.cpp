// Every stretch of rail of the five stages has scenery in view: for each
// stage started in the whole program on the generated data, the rail is put
// on every tenth key of each camera path it runs (MapMng::SetSection
// recomputes the visibility from the stage's lists), the stage's own show
// and hide commands and the world reset of stage 1's second boss are
// applied, and the objects, tunnel parts and placed models that are shown
// are projected through the camera. A stretch where none lands in the view
// shows nothing but fog.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "game/stage/ObjRsc.h"
#include "game/stage/TnlRsc.h"
#include "support/PlayWorld.h"
#include "support/TempDir.h"
#include "vrax/resource/ModelFile.h"

namespace {

std::vector<uint8_t> ReadData(const std::string& relative) {
  std::ifstream in(testsupport::GeneratedDataRoot() + "/" + relative, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Within the camera's view up to its far plane (10000), with a fifth of the
// view's width beyond each edge for the size of what stands there.
bool InView(const SMatrix& viewProjection, float x, float y, float z) {
  const SVec3 p{x, y, z};
  SVec4 c{};
  SVec3Transform(&c, &p, &viewProjection);
  return c.w > 1.0f && c.w <= 10000.0f && std::fabs(c.x) <= 1.2f * c.w && std::fabs(c.y) <= 1.2f * c.w;
}

// Whether some point of a triangle strip lies in the view: its triangles
// sampled on a grid of 25 points each (a floor strip's corners may all lie
// outside the view while the strip fills the lower part of it).
bool StripInView(const SMatrix& viewProjection, const std::vector<TunnelVertex>& v) {
  for (size_t t = 0; t + 2 < v.size(); ++t)
    for (int i = 0; i <= 4; ++i)
      for (int j = 0; i + j <= 4; ++j) {
        const float a = float(i) / 4.0f, b = float(j) / 4.0f, c = 1.0f - a - b;
        if (InView(viewProjection, a * v[t].x + b * v[t + 1].x + c * v[t + 2].x,
                   a * v[t].y + b * v[t + 1].y + c * v[t + 2].y, a * v[t].z + b * v[t + 1].z + c * v[t + 2].z))
          return true;
      }
  return false;
}

struct Stretch {
  int32_t path, from, to;  // keys [from, to)
};

struct StageRail {
  int32_t stage;
  std::vector<Stretch> stretches;
  // Keys of path 0 from which stage 1's world is what the companion of its
  // second boss leaves: every set and the tunnel off, the boss arena placed
  // (until 9999, where the placement ends).
  int32_t resetFrom = -1;
};

// The paths each stage runs: path 0 to where the rail stops (two keys before
// the end of its 12000), path 1 up to the loop that takes the rail back.
// Stages 1 and 3 hide everything from key 1 to 500 and 300: their own cloud
// layers fill the view there.
const StageRail kRails[] = {
    {1, {{0, 500, 9999}, {1, 0, 3550}}, 7823},
    {2, {{0, 0, 11680}, {1, 0, 2700}}},
    {3, {{0, 300, 11998}, {1, 0, 2554}}},
    {4, {{0, 0, 11998}}},
    {5, {{0, 0, 5300}}},
};

class Scenery {
 public:
  explicit Scenery(int32_t stage) : stage_(stage) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "Stg%02d/Trn/Stg%02d_Trn.tnl", stage, stage);
    const std::vector<uint8_t> tnl = ReadData(stem);
    EXPECT_TRUE(ParseTunnelFile(tnl.data(), tnl.size(), &tunnel_)) << stem;
    if (stage == 1) {
      const std::vector<uint8_t> arena = ReadData("Stg01/Obj/Stg01_Boss.bma");
      ModelFile m;
      EXPECT_TRUE(ParseModelFile(arena.data(), arena.size(), &m));
      // The file holds (x, z, y) of the world's (x, y, z).
      for (const ModelFileRecord& n : m.nodes)
        for (const auto& p : n.positions)
          arena_.push_back(SVec3{p[0] + n.translation[0], p[2] + n.translation[2], p[1] + n.translation[1]});
    }
  }

  // What of the stage world lands in the view with the rail on (path, key).
  int Count(int32_t path, int32_t key, bool reset) {
    MapMng& m = g_MapMng;
    m.SetSection(path, float(key));
    ApplyShows(path, key, reset);
    SMatrix vp;
    SMatrix::Multiply(&vp, &m.camera->view, &m.camera->projection);
    int n = 0;
    for (ObjPlacer& layer : m.layers) {
      const ObjRsc* objects = layer.GetObjects();
      if (layer.enable == 0 || objects == nullptr) continue;
      for (size_t i = 0; i < objects->Objects().size(); ++i) {
        const SMatrix& w = objects->Objects()[i].matrix;
        n += objects->Visible(i) && InView(vp, w.m[3][0], w.m[3][1], w.m[3][2]);
      }
    }
    if (const TnlRsc* t = m.GetTunnel(); t != nullptr && t->enable != 0) {
      for (size_t i = 0; i < tunnel_.groups.size(); ++i) {
        if (!t->GroupVisible(i)) continue;
        bool seen = false;
        for (const TunnelRecord& r : tunnel_.groups[i]) seen = seen || StripInView(vp, r.vertices);
        n += seen;
      }
    }
    for (const MapPlacement& p : m.placements) {
      if (p.kind != 0 || p.path != path || key < p.firstKey || key >= p.endKey) continue;
      bool seen = false;
      for (const SVec3& v : arena_) {
        SVec4 w{};
        SVec3Transform(&w, &v, &p.matrix);
        seen = seen || InView(vp, w.x, w.y, w.z);
      }
      n += seen;
    }
    return n;
  }

 private:
  // The enable flags the stage's show commands leave when the rail reaches
  // (path, key): those of path 0 up to the key, or, on path 1, those of path
  // 0 before the branch and then those of path 1; or those of stage 1's
  // world reset.
  void ApplyShows(int32_t path, int32_t key, bool reset) {
    MapMng& m = g_MapMng;
    m.placements.clear();
    if (reset) {
      m.Reset();
      return;
    }
    m.SetLayerFlags(MapCommand::kTargetAll, 1);
    const int32_t path0Up = path == 0 ? key : kBranchKeys[stage_];
    for (const MapCommand& c : m.commands)
      if (c.kind == MapCommand::SHOW && c.path == 0 && c.key <= path0Up) m.SetLayerFlags(c.target, c.value);
    if (path != 0)
      for (const MapCommand& c : m.commands)
        if (c.kind == MapCommand::SHOW && c.path == path && c.key <= key) m.SetLayerFlags(c.target, c.value);
  }

  // Where path 1 leaves path 0 (stages 4 and 5 have no second path).
  static constexpr int32_t kBranchKeys[6] = {0, 3585, 1601, 3276, 12000, 12000};

  int32_t stage_;
  TunnelMesh tunnel_;
  std::vector<SVec3> arena_;
};

TEST(StageScenery, EveryStretchOfEveryStageHasSceneryInView) {
  for (const StageRail& rail : kRails) {
    testsupport::PlayOptions o;
    o.stage = rail.stage;
    o.livelyStage = true;
    testsupport::PlayWorld w(o);
    ASSERT_TRUE(w.Ok());
    g_EnemySet.Reset();
    Scenery scenery(rail.stage);
    for (const Stretch& s : rail.stretches) {
      // Runs of sampled keys with nothing in view, reported as stretches.
      int32_t emptyFrom = -1;
      for (int32_t k = s.from; k < s.to + 10; k += 10) {
        const bool reset = s.path == 0 && rail.resetFrom >= 0 && k >= rail.resetFrom;
        const bool empty = k < s.to && scenery.Count(s.path, k, reset) == 0;
        if (empty && emptyFrom < 0) emptyFrom = k;
        if (!empty && emptyFrom >= 0) {
          ADD_FAILURE() << "stage " << rail.stage << " path " << s.path << ": nothing in view from key " << emptyFrom
                        << " to " << std::min(k, s.to);
          emptyFrom = -1;
        }
      }
    }
  }
}

}  // namespace
