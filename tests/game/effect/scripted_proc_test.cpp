// The draw sets of a scripted process: set A taken relative to the game's
// cameras and moved with the stage camera, set B as given, and the grids
// they build.
#include <gtest/gtest.h>

#include <memory>

#include "game/core/Game.h"
#include "game/effect/ScriptedProc.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::PlayWorld;

class Probe : public ScriptedProc {
 public:
  int32_t User(int32_t, SProcArg) override { return 0; }
};

constexpr float kColour[4] = {0.0f, 0.5f, 0.0f, 1.0f};

TEST(ScriptedProcSets, SetATakesItsMatrixRelativeToTheMovedCamera) {
  PlayWorld world;
  ASSERT_TRUE(world.Ok());
  Game* g = world.G();
  // In play node 1 is the fixed screen camera: the flip diag(1, -1, -1) at
  // (0, 0, -512). The stage camera E: a quarter turn about z, (x, y, z) to
  // (-y, x, z), then (100, 200, 3000); key 25 draws through it from the next
  // frame's views on.
  ASSERT_EQ(g->CameraNode(1).m[3][2], -512.0f);
  SMatrix e;
  SMatrix::RotationZ(&e, 1.5707964f);
  e.m[3][0] = 100.0f, e.m[3][1] = 200.0f, e.m[3][2] = 3000.0f;
  g->StageCamera() = e;
  auto* probe = new Probe;
  ASSERT_EQ(g->AddChild(GAME_LIST_STAGE, probe, 0), 0);
  world.Step();
  Probe& p = *probe;
  SMatrix m = kIdentityMatrix;
  m.m[3][0] = 10.0f, m.m[3][1] = 20.0f, m.m[3][2] = 30.0f;
  p.AttachDrawA(&m, 480.0f, 640.0f, 7.9f, 4.2f, kColour);
  // m x node 1: (10, 20, 30) through the flip, (10, -20, -30), then plus (0,
  // 0, -512); the view's inverse takes (100, 200, 3000) off, (-90, -220,
  // -3542), and turns (x, y, z) to (y, -x, z): (-220, 90, -3542). The axes:
  // x (1, 0, 0) to (0, -1, 0), y (0, -1, 0) to (-1, 0, 0), z stays (0, 0, -1).
  float want[4][4] = {{0, -1, 0, 0}, {-1, 0, 0, 0}, {0, 0, -1, 0}, {-220, 90, -3542, 1}};
  const auto expectWorld = [&](const char* when) {
    const SMatrix& w = p.SetA()->world.GetMatrix();
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_NEAR(w.m[r][c], want[r][c], 1e-3f) << when << " " << r << c;
  };
  expectWorld("placed");
  // The rail carries the camera 600 units on: the frame's draw moves the set
  // with it, so that it stays before the eye; (-90, -220, -4142) turned.
  e.m[3][2] = 3600.0f;
  g->StageCamera() = e;
  world.Step();
  want[3][2] = -4142.0f;
  expectWorld("moved");
  EXPECT_ALL({VAL(p.SetA()->grid.Columns(), 7), VAL(p.SetA()->grid.Rows(), 4),
              VAL(p.SetA()->grid.GetAlphaMin(), 0.85f)});

  // Set B keeps the matrix as given: additive, alpha 0.75 to 1, at its key.
  p.AttachDrawB(&m, 480.0f, 640.0f, 7.9f, 7.9f, kColour, 40);
  const SMatrix& b = p.SetB()->world.GetMatrix();
  EXPECT_ALL({VAL(b.m[1][1], 1.0f), VAL(b.m[3][1], 20.0f), VAL(b.m[3][2], 30.0f), VAL(p.SetB()->grid.Columns(), 7),
              VAL(p.SetB()->grid.GetBlend(), 1), VAL(p.SetB()->grid.GetAlphaMin(), 0.75f),
              VAL(p.SetB()->grid.GetAlphaMax(), 1.0f), VAL(p.SetBKey(), 40)});
}

}  // namespace
