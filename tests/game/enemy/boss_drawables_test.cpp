// What the boss companions and satellites put into the draw queue: the
// companion's two draw sets (set A at key 25, set B at its own key, freed at
// dispose), the sprite satellite's quad around its position at key 7, and
// the model satellite at key 19.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "game/enemy/BossOption2D.h"
#include "game/enemy/BossOption3D.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "game/tables/effect_tables.h"
#include "model_rig.h"
#include "support/ExpectAll.h"
#include "vrax/graphic/SGpMan.h"

namespace {

using enemytest::ModelBoss;
using enemytest::ModelRig;

// A graphic manager over the null device, for its draw queue.
struct Graphics {
  Graphics() { gp.SendEvent(SProc::EVENT_INIT, 0); }
  ~Graphics() { gp.SendEvent(SProc::EVENT_DISPOSE, 0); }
  // The (key, packet) pairs the process's draw entered.
  std::vector<std::pair<int, SGpObj*>> Drawn(SProc* p) {
    gp.GetQueue()->Reset();
    p->SendEvent(SProc::EVENT_DRAW, 0);
    return gp.GetQueue()->Entries();
  }
  SGpMan gp;
};

std::set<int> Keys(const std::vector<std::pair<int, SGpObj*>>& entries) {
  std::set<int> keys;
  for (const auto& [key, packet] : entries) keys.insert(key);
  return keys;
}

// A companion that attaches both draw sets at its set-up.
class TwoSets : public BossPartsObject {
 public:
  using BossPartsObject::BossPartsObject;

 protected:
  int32_t User(int32_t code, SProcArg) override {
    if (code == kCodeInit) {
      static constexpr float kVector[4] = {0.0f, 0.5f, 0.0f, 0.0f};
      const SMatrix m = kIdentityMatrix;
      AttachDrawA(&m, 480.0f, 480.0f, 48.0f, 48.0f, kVector);
      AttachDrawB(&m, 480.0f, 640.0f, 48.0f, 64.0f, kVector, 30);
    }
    return 0;
  }
};

TEST(BossCompanion, DrawSetsEnterAtKey25AndTheirOwnKeyAndGoAtDispose) {
  Graphics g;
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  auto* c = BossPartsObject::Attach(r.boss, new TwoSets(&r.boss->model));
  ASSERT_NE(c, nullptr);
  ASSERT_NE(c->SetA(), nullptr);
  ASSERT_NE(c->SetB(), nullptr);
  EXPECT_ALL({VAL(c->SetA()->grid.GetAlphaMin(), 0.85f), VAL(c->SetBKey(), 30),
              VAL(c->SetB()->grid.GetAlphaMin(), 0.75f), VAL(c->SetB()->grid.GetBlend(), 1)});
  r.m.rig.Run(1);  // added: it runs from the next frame
  auto drawn = g.Drawn(c);
  // The queue's own walk order aside, by key; within a key, as entered.
  std::stable_sort(drawn.begin(), drawn.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // Set A's world state then its grid at 25; set B's at 30.
  const std::vector<std::pair<int, SGpObj*>> want = {{25, &c->SetA()->world},
                                                      {25, &c->SetA()->grid},
                                                      {30, &c->SetB()->world},
                                                      {30, &c->SetB()->grid}};
  EXPECT_EQ(drawn, want);
  c->SendEvent(SProc::EVENT_DISPOSE, 0);
  EXPECT_ALL({VAL(c->SetA() == nullptr, true), VAL(c->SetB() == nullptr, true)});
}

TEST(BossSatellites, SpriteQuadAroundItsPlaceAtKey7AndModelAtKey19) {
  Graphics g;
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  BossOption2D* o = BossOption2D::Spawn(r.boss, SprEfx02_5Keys);
  ASSERT_NE(o, nullptr);
  const float at[4] = {10.0f, 20.0f, 30.0f, 1.0f};
  o->SetTarget(at, 1.0f);
  r.m.rig.Run(1);  // added
  r.m.rig.Run(1);  // one step: the track moves on by one frame
  const SGpRect* part = o->track.GetPart();
  ASSERT_NE(part, nullptr);
  const float hw = 25.0f, hh = 25.0f;  // its parts are 50 x 50
  // Corners in the order top left, top right, bottom left, bottom right,
  // at depth 0 whatever the satellite's depth, with the part's corners.
  const float want[4][4] = {{10 - hw, 20 - hh, part->uTL, part->vTL},
                            {10 + hw, 20 - hh, part->uTR, part->vTR},
                            {10 - hw, 20 + hh, part->uBL, part->vBL},
                            {10 + hw, 20 + hh, part->uBR, part->vBR}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const SVec3 v = o->Quad().GetVertexPos(i);
    const SVec2 t = o->Quad().GetVertexUV(i);
    EXPECT_ALL({VAL(v.x, want[i][0]), VAL(v.y, want[i][1]), VAL(v.z, 0.0f), VAL(t.x, want[i][2]),
                VAL(t.y, want[i][3])});
  }
  EXPECT_EQ(o->track.GetTime(), 1.0f);
  EXPECT_EQ(Keys(g.Drawn(o)), (std::set<int>{7}));
  BossOption3D* m = BossOption3D::Spawn(r.boss, &r.m.pair);
  ASSERT_NE(m, nullptr);
  r.m.rig.Run(1);
  EXPECT_EQ(Keys(g.Drawn(m)), (std::set<int>{19}));
}

}  // namespace
