// The two simple enemies: the sprite enemy's quad (turned by its third
// angle, scaled by its parameter word, coloured by its three colour words),
// the model enemy's placement rotation, their draw keys near and far, the
// value animator read as their animation time, clamped to the track, and
// their first motion record aimed from where they spawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyType0.h"
#include "game/enemy/EnemyType1.h"
#include "model_rig.h"
#include "support/EnemyRig.h"
#include "support/ExpectAll.h"
#include "vrax/graphic/SGpMan.h"

namespace {

using enemytest::ModelRig;
using testsupport::EnemyRig;

uint32_t FloatWord(float f) {
  uint32_t w;
  std::memcpy(&w, &f, 4);
  return w;
}

// A graphic manager over the null device, for its draw queue.
struct Graphics {
  Graphics() { gp.SendEvent(SProc::EVENT_INIT, 0); }
  ~Graphics() { gp.SendEvent(SProc::EVENT_DISPOSE, 0); }
  SGpMan gp;
};

// The keys at which the enemy's draw entered anything.
std::set<int> DrawKeys(SGpMan& gp, EObjBase* e) {
  gp.GetQueue()->Reset();
  e->SendEvent(SProc::EVENT_DRAW, 0);
  std::set<int> keys;
  for (const auto& [key, packet] : gp.GetQueue()->Entries()) keys.insert(key);
  return keys;
}

TEST(SimpleEnemy, SpriteQuadTurnsScalesColoursAndDrawsByDepth) {
  Graphics g;
  SGpMan& gp = g.gp;
  EnemyRig rig;
  EnemyParam& p = rig.Param(1, "Sprite", 0);
  p.typeWord = FloatWord(2.0f);  // word 11: scale
  p.typeWords[0] = FloatWord(0.5f);
  p.typeWords[1] = FloatWord(0.25f);
  p.typeWords[2] = FloatWord(0.75f);
  rig.Spawn(0.0f, 1, 0, 10.0f, 20.0f, 0.0f);
  ASSERT_TRUE(rig.Load());
  auto* e = dynamic_cast<EnemyType0*>(rig.SpawnNow(0));
  ASSERT_NE(e, nullptr);
  rig.Run(1);  // added: it runs from the next frame
  EXPECT_EQ(e->GetName(), "Sprite");
  EXPECT_ALL({VAL(e->classKind, 1), VAL(e->ListCount(), 2),
              VAL(e->scale, 2.0f), VAL(e->colour[0], 0.5f), VAL(e->colour[1], 0.25f), VAL(e->colour[2], 0.75f),
              VAL(e->colour[3], 1.0f), VAL(e->GetPosition() == e->spawnPosition, true)});
  const SGpRect* r = e->rect;
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r, e->Track().GetPart());  // the first frame of the key list
  // A quarter turn with scale 2: C = 0, S = 2, so corner (u, v) becomes
  // (-2v, 2u).
  e->angles[2] = 0.25f;
  e->BuildQuad();
  const float px = r->pivotX, py = r->pivotY, w = r->width, h = r->height;
  const float want[4][2] = {{2 * py, -2 * px}, {2 * py, 2 * (w - px)}, {-2 * (h - py), -2 * px},
                            {-2 * (h - py), 2 * (w - px)}};
  const float uv[4][2] = {{r->uTL, r->vTL}, {r->uTR, r->vTR}, {r->uBL, r->vBL}, {r->uBR, r->vBR}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const SVec3 v = e->Quad().GetVertexPos(i);
    EXPECT_NEAR(v.x, 10.0f + want[i][0], 1e-3f);
    EXPECT_NEAR(v.y, 20.0f + want[i][1], 1e-3f);
    EXPECT_EQ(v.z, 0.0f);
    const SVec2 t = e->Quad().GetVertexUV(i);
    EXPECT_ALL({VAL(t.x, uv[i][0]), VAL(t.y, uv[i][1])});
  }
  EXPECT_EQ(e->Quad().GetActiveCount(), 1);
  // In depth and hittable: key 18; at z 120 the body is off: key 21.
  EXPECT_EQ(DrawKeys(gp, e), (std::set<int>{18}));
  e->GetPosition()[2] = 120.0f;
  e->Step();
  ASSERT_EQ(e->body.disabled, 1);
  EXPECT_EQ(DrawKeys(gp, e), (std::set<int>{21}));
}

TEST(SimpleEnemy, SpriteFrameFollowsTheValueAnimatorInsideTheTrack) {
  EnemyRig rig;
  rig.Param(1, "Sprite", 0);
  rig.Spawn(0.0f, 1, 0, 0.0f, 0.0f, 0.0f);
  ASSERT_TRUE(rig.Load());
  auto* e = dynamic_cast<EnemyType0*>(rig.SpawnNow(0));
  ASSERT_NE(e, nullptr);
  rig.Run(1);  // added
  const SGpRect* first = e->rect;
  const float total = e->Track().GetTotal();
  ASSERT_GT(total, 1.0f);
  // The value read at the start of the frame is the track time.
  e->animator.value = -5.0f;
  rig.Run(1);
  EXPECT_ALL({VAL(e->Track().GetTime(), 0.0f), VAL(e->rect == first, true)});
  e->animator.value = 1.0f;
  rig.Run(1);
  EXPECT_EQ(e->Track().GetTime(), 1.0f);
  e->animator.value = total + 100.0f;
  rig.Run(1);
  EXPECT_ALL({VAL(e->Track().GetTime(), total), VAL(e->rect == e->Track().GetPart(), true)});
}

TEST(SimpleEnemy, ModelTurnsZThenYThenXKeepsItsPlaceAndDrawsByDepth) {
  Graphics g;
  SGpMan& gp = g.gp;
  ModelRig m;
  m.rig.Param(1, "Model", 1);
  m.rig.Spawn(0.0f, 1, 0, 30.0f, -40.0f, 10.0f);
  ASSERT_TRUE(m.Load());
  auto* e = dynamic_cast<EnemyType1*>(g_EnemySet.SpawnAt(0));
  ASSERT_NE(e, nullptr);
  m.rig.Run(1);  // added: it runs from the next frame
  SMatrix* mat = e->placement.GetLocal();
  EXPECT_ALL({VAL(e->classKind, 1), VAL(e->ListCount(), 2), VAL(e->GetPosition() == &mat->m[3][0], true),
              VAL(mat->m[3][0], 30.0f), VAL(mat->m[3][1], -40.0f), VAL(mat->m[3][2], 10.0f),
              VAL(e->model.GetRootNode()->GetParent() == &e->placement, true), VAL(e->trackLength, 10.0f)});
  // Quarter turns about all three axes: Rz(90) x Ry(90) x Rx(90) in row
  // vectors is rows (0, 0, 1), (0, -1, 0), (1, 0, 0).
  e->angles[0] = e->angles[1] = e->angles[2] = 0.25f;
  const std::set<int> near = DrawKeys(gp, e);
  const float want[3][3] = {{0, 0, 1}, {0, -1, 0}, {1, 0, 0}};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) EXPECT_NEAR(mat->m[row][col], want[row][col], 1e-6f) << row << col;
  EXPECT_ALL({VAL(mat->m[3][0], 30.0f), VAL(mat->m[3][1], -40.0f), VAL(mat->m[3][2], 10.0f)});
  EXPECT_EQ(near.count(19), 1u);
  EXPECT_EQ(near.count(22), 0u);
  e->GetPosition()[2] = 120.0f;
  e->Step();
  ASSERT_EQ(e->body.disabled, 1);
  const std::set<int> far = DrawKeys(gp, e);
  EXPECT_EQ(far.count(22), 1u);
  EXPECT_EQ(far.count(19), 0u);
  // The animation time is the value animator clamped to the 10 frames.
  e->animator.value = -3.0f;
  m.rig.Run(1);
  EXPECT_EQ(e->trackTime, 0.0f);
  e->animator.value = 4.0f;
  m.rig.Run(1);
  EXPECT_EQ(e->trackTime, 4.0f);
  e->animator.value = 50.0f;
  m.rig.Run(1);
  EXPECT_EQ(e->trackTime, 10.0f);
}

// Spawned at (-200, -300) with the player at (0, 200), an enemy whose first
// motion record aims at the player heads atan2(500, 200) = 1.19029 rad =
// 0.18944 turn (0.25 would be the aim from the screen's centre), and its
// first step goes that way.
TEST(SimpleEnemy, FirstAimedMotionAimsFromTheSpawn) {
  ModelRig m;
  m.rig.Param(1, "Sprite", 0);
  m.rig.Param(2, "Model", 1);
  MotionRecord aimed;
  aimed.block = MotionParam::Block{60.0f, 0x10000, 0.0f, 0.0f, 0.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  m.rig.Script(1).motion = {aimed};
  m.rig.Spawn(0.0f, 1, 1, -200.0f, -300.0f);
  m.rig.Spawn(0.0f, 2, 1, -200.0f, -300.0f);
  m.rig.weapons.PlacePlayer(0.0f, 200.0f);
  ASSERT_TRUE(m.Load());
  for (int32_t n : {0, 1}) {
    SCOPED_TRACE(n);
    EObjBase* e = g_EnemySet.SpawnAt(n);
    ASSERT_NE(e, nullptr);
    EXPECT_NEAR(e->motion.angleBase, 0.18944f, 1e-5f);
    e->Step();
    const float* p = e->GetPosition();
    EXPECT_NEAR(std::atan2(p[1] + 300.0f, p[0] + 200.0f) / 6.2831855f, 0.18944f, 1e-5f);
  }
}

}  // namespace
