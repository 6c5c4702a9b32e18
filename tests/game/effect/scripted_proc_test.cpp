// The draw sets of a scripted process: set A taken relative to the game's
// camera nodes, set B as given, and the grids they build.
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
  const Game* g = world.G();
  // In play the stage start left node 1 at the eye: the flip diag(1, -1, -1)
  // at (0, 0, -512), and node 0 at the identity. N2 x inverse(N1) is the
  // flip, which is its own inverse: rows x, -y, -z, translation (0, 0, -512).
  ASSERT_EQ(g->CameraNode(0).m[3][2], 0.0f);
  ASSERT_EQ(g->CameraNode(1).m[3][2], -512.0f);
  Probe p;
  SMatrix m = kIdentityMatrix;
  m.m[3][0] = 10.0f, m.m[3][1] = 20.0f, m.m[3][2] = 30.0f;
  p.AttachDrawA(&m, 480.0f, 640.0f, 7.9f, 4.2f, kColour);
  // (10, 20, 30) through the flip: (10, -20, -30), then plus (0, 0, -512).
  const SMatrix& w = p.SetA()->world.GetMatrix();
  EXPECT_ALL({VAL(w.m[0][0], 1.0f), VAL(w.m[1][1], -1.0f), VAL(w.m[2][2], -1.0f), VAL(w.m[3][0], 10.0f),
              VAL(w.m[3][1], -20.0f), VAL(w.m[3][2], -542.0f), VAL(w.m[3][3], 1.0f)});
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
