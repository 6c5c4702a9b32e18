// The split sprite: the two halves cut along the angle, worked by hand for
// a 64 x 32 part that fills its texture; their flight, fade and sparks over
// 40 frames; and the dash that leaves one behind for a struck sprite enemy.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "game/core/Game.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyType0.h"
#include "game/enemy/ScenePartsObject.h"
#include "game/player/EnemyScan.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"
#include "support/WeaponRig.h"
#include "vrax/graphic/SGpMan.h"

namespace {

// 64 x 32 pixels, the whole texture, pivot at the centre: hu = hv = 0.5.
SGpRect WholeTexturePart() {
  SGpRect r;
  r.pivotX = 32.0f, r.pivotY = 16.0f;
  r.width = 64.0f, r.height = 32.0f;
  r.uTL = 0.0f, r.vTL = 0.0f, r.uTR = 1.0f, r.vTR = 0.0f;
  r.uBL = 0.0f, r.vBL = 1.0f, r.uBR = 1.0f, r.vBR = 1.0f;
  return r;
}
const SGpRect kPart = WholeTexturePart();

struct SplitRig {
  explicit SplitRig(float angle, float scale = 1.0f) {
    const float origin[4] = {20.0f, 30.0f, 5.0f, 1.0f};
    handle = obj = new ScenePartsObject(origin, &kPart, angle, scale);
    w.Adopt(obj);
  }
  // Corner i of a half: its position (x, y) and u, v.
  static std::array<float, 4> Corner(const SGpObj_Prim& p, int i) {
    const SVec3 v = p.GetVertexPos(i);
    const SVec2 t = p.GetVertexUV(i);
    return {v.x, v.y, t.x, t.y};
  }
  testsupport::WeaponRig w;
  SGpMan gp;
  ScenePartsObject* obj;
  SHandle<ScenePartsObject> handle;
};

void ExpectCorners(const SGpObj_Prim& p, const float (&want)[4][4], const char* half) {
  for (int i = 0; i < 4; ++i) {
    const auto c = SplitRig::Corner(p, i);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(c[size_t(k)], want[i][k], 1e-5f) << half << " corner " << i << " " << k;
  }
}

TEST(SplitSprite, QuarterTurnCutsIntoLeftAndRightHalves) {
  SplitRig r(0.25f);
  const float a[4][4] = {{-32, -16, 0, 0}, {0, -16, 0.5f, 0}, {-32, 16, 0, 1}, {0, 16, 0.5f, 1}};
  const float b[4][4] = {{0, -16, 0.5f, 0}, {32, -16, 1, 0}, {0, 16, 0.5f, 1}, {32, 16, 1, 1}};
  ExpectCorners(r.obj->primA, a, "A");
  ExpectCorners(r.obj->primB, b, "B");
  // Both halves stand on the origin (hu x 64 - 32 = 0).
  const SMatrix& m = r.obj->worldA.GetMatrix();
  EXPECT_ALL({VAL(m.m[3][0], 20.0f), VAL(m.m[3][1], 30.0f), VAL(m.m[3][2], 5.0f),
              VAL(r.obj->primA.GetVertexColour(0), 0xFF800000u)});
}

TEST(SplitSprite, NoTurnCutsThroughTheMiddleAndSteepCutsCrossTopAndBottom) {
  SplitRig flat(0.0f, 0.5f);  // half size
  const float a[4][4] = {{-16, -8, 0, 0}, {16, -8, 1, 0}, {-16, 0, 0, 0.5f}, {16, 0, 1, 0.5f}};
  const float b[4][4] = {{-16, 0, 0, 0.5f}, {16, 0, 1, 0.5f}, {-16, 8, 0, 1}, {16, 8, 1, 1}};
  ExpectCorners(flat.obj->primA, a, "A");
  ExpectCorners(flat.obj->primB, b, "B");
  // 0.2 turns: t = tan 72 degrees, k = t/2 > 1/2, so m = 0.5 / t.
  SplitRig steep(0.2f);
  const float m = 0.5f / std::tan(0.2f * 6.2831855f);
  const float sa[4][4] = {{-32, -16, 0, 0}, {-64 * m, -16, 0.5f - m, 0}, {-32, 16, 0, 1}, {64 * m, 16, 0.5f + m, 1}};
  ExpectCorners(steep.obj->primA, sa, "A");
  EXPECT_NEAR(SplitRig::Corner(steep.obj->primB, 0)[0], -64 * m, 1e-4f);
  EXPECT_NEAR(SplitRig::Corner(steep.obj->primB, 2)[0], 64 * m, 1e-4f);
}

TEST(SplitSprite, HalvesFlyApartFadeThrowSparksAndEnd) {
  SplitRig r(0.0f);
  const int sparks0 = r.w.efx.LiveCount(1);
  std::vector<int> sparkFrames;
  float ax = 20.0f, bx = 20.0f, y = 30.0f;
  for (int frame = 1; frame <= 40; ++frame) {
    const int before = r.w.efx.LiveCount(1);
    r.w.Run(1);
    const int count = frame - 1;
    // Distance: 10 easing down to 0.25 over counts 0..10, then 0.5.
    const float d = count <= 10 ? 10.0f - (1.0f - std::cos(float(count) / 10.0f * 1.5707964f)) * 9.75f : 0.5f;
    ax += d, bx -= d, y += 0.5f;
    const SMatrix& ma = r.obj->worldA.GetMatrix();
    const SMatrix& mb = r.obj->worldB.GetMatrix();
    ASSERT_NEAR(ma.m[3][0], ax, 1e-3f) << count;
    ASSERT_NEAR(mb.m[3][0], bx, 1e-3f) << count;
    ASSERT_NEAR(ma.m[3][1], y, 1e-3f) << count;
    if (r.w.efx.LiveCount(1) > before) {
      sparkFrames.push_back(count);
      EXPECT_EQ(r.w.efx.LiveCount(1), before + 2) << count;
    }
    if (count == 0) { EXPECT_EQ(r.obj->primA.GetVertexColour(0), 0xFFFF0000u); }
    if (count == 20) {
      // r = 0.5: f = cos(pi/4); A ((f + 1)/2, 0, 0, f), B (f, 0, 0, f).
      EXPECT_EQ(r.obj->primA.GetVertexColour(3), 0xB4DA0000u);
      EXPECT_EQ(r.obj->primB.GetVertexColour(3), 0xB4B40000u);
    }
  }
  EXPECT_EQ(sparkFrames, (std::vector<int>{4, 8, 12, 16, 20, 24}));
  EXPECT_GE(r.w.efx.LiveCount(1), sparks0);
  // Its draw leaves the graphic manager's default key on 21.
  r.gp.SetDefaultKey(0);
  r.obj->SendEvent(SProc::EVENT_DRAW, 0);
  EXPECT_EQ(r.gp.GetDefaultKey(), 21);
  EXPECT_NE(LiveProc(r.handle), nullptr);
  r.w.Run(1);  // count 40: it ends
  EXPECT_EQ(LiveProc(r.handle), nullptr);
  r.w.Run(1);
  EXPECT_EQ(r.handle.Get(), nullptr);
}

TEST(SplitSprite, WithoutAPartNothingIsDrawnOrCut) {
  testsupport::WeaponRig w;
  const float origin[4] = {0, 0, 0, 1};
  SHandle<ScenePartsObject> h = new ScenePartsObject(origin, nullptr, 0.1f, 1.0f);
  w.Adopt(h.Get());
  w.Run(42);
  EXPECT_EQ(h.Get(), nullptr);
}

TEST(SplitSprite, TheDashLeavesOneForEachStruckSpriteEnemy) {
  // The records outlive the world whose enemies read them.
  EnemyParam param;
  param.type = 0;
  param.hitPoints = 5;
  EnemySpawnRecord rec;
  rec.param = &param;
  rec.x = 10.0f, rec.y = -40.0f;
  testsupport::PlayWorld world;
  ASSERT_TRUE(world.Ok());
  ASSERT_GE(world.RunToControl(), 0);
  // Three grabbed sprite enemies: two in slots below the limit, one beyond.
  std::vector<SHandle<SProc>> enemies;
  for (int32_t s : {0, 1, 2}) {
    auto* e = new EnemyType0;
    e->Setup(&rec);
    ASSERT_EQ(g_EnemyMan.AddChild(0, e, reinterpret_cast<SProcArg>(EnemySprKeyTable[0])), 0);
    e->grabMode = EObjBase::GRAB_HELD;
    e->slot.index = s;
    enemies.emplace_back(e);
  }
  auto countParts = [&] {
    int n = 0;
    if (SProcList* l = world.G()->GetList(GAME_LIST_STAGE))
      for (SProc* p = l->Head(); p != nullptr; p = SProcList::Next(p))
        if (dynamic_cast<ScenePartsObject*>(p) != nullptr && LiveProc(SHandle<SProc>(p)) != nullptr) ++n;
    return n;
  };
  const int before = countParts();
  EnemyScan::DashPayoff(2);
  EXPECT_EQ(countParts(), before + 2);
  world.Step(45);
  EXPECT_EQ(countParts(), before);
}

}  // namespace
