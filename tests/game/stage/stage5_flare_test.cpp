// Stage 5's rocks on the stage world with the effect manager: the lens
// flare's sixteen sprites along the axis, dimmed by the light's distance
// outside the screen; which rail keys draw the flare, on which sheets and at
// which fade, and the one white flash; rocks left behind the camera only
// after rail position 4300.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/effect/EfxElements.h"
#include "game/effect/EfxMan.h"
#include "game/stage/MapMng.h"
#include "game/stage/Stage5Rock.h"
#include "game/tables/effect_tables.h"
#include "support/ExpectAll.h"
#include "support/StageWorld.h"

namespace {

class Stage5Flare : public testsupport::StageWorld {
 protected:
  void SetUp() override {
    StageWorld::SetUp();
    for (SProc* p : {static_cast<SProc*>(&efx), static_cast<SProc*>(&rocks)}) {
      p->SetStatic(true);
      ASSERT_EQ(kernel.AddChild(2, p, 0), 0);
    }
  }
  void TearDown() override {
    efx.ClearAll();
    StageWorld::TearDown();
  }
  // The live effect sprites, oldest first.
  std::vector<EfxSprite*> Sprites() {
    std::vector<EfxSprite*> out;
    for (SObject* o = efx.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) out.push_back(static_cast<EfxSprite*>(o));
    return out;
  }
  int OnSheet(int sheet) { return game->LayerBatch(sheet).GetList()->Count(); }
  // The flare of rail key k on its own.
  void FlareAt(int k) {
    efx.ClearAll();
    map.t = float(k);
    rocks.UpdateFlare();
  }
  EfxMan efx;
  Stage5Rock rocks;
};

struct Elem {
  float p, size;
  int kind;
  float r, g, b, a;
};
// The sixteen flare records, in order.
constexpr Elem kElems[16] = {
    {1.0f, 0.4f, 3, 1.0f, 1.0f, 1.0f, 1.0f},   {0.24f, 0.05f, 0, 1.0f, 0.0f, 0.0f, 1.0f},
    {0.46f, 0.09f, 1, 1.0f, 1.0f, 0.6f, 1.0f}, {0.78f, 0.15f, 0, 1.0f, 0.7f, 0.0f, 0.3f},
    {0.32f, 0.15f, 2, 1.0f, 0.5f, 0.0f, 0.2f}, {0.53f, 0.01f, 1, 1.0f, 0.0f, 0.0f, 0.7f},
    {0.15f, 0.05f, 0, 1.0f, 1.0f, 0.0f, 0.5f}, {0.21f, 0.13f, 2, 1.0f, 1.0f, 0.0f, 0.5f},
    {0.43f, 0.05f, 0, 1.0f, 0.5f, 0.0f, 1.0f}, {0.17f, 0.05f, 1, 1.0f, 1.0f, 0.5f, 0.5f},
    {-0.2f, 0.05f, 0, 1.0f, 0.0f, 0.0f, 1.0f}, {-0.3f, 0.09f, 1, 1.0f, 1.0f, 0.6f, 1.0f},
    {-0.4f, 0.15f, 0, 1.0f, 0.7f, 0.0f, 0.3f}, {-0.7f, 0.15f, 2, 1.0f, 0.5f, 0.0f, 0.2f},
    {-1.0f, 0.32f, 1, 1.0f, 0.7f, 0.0f, 0.2f}, {-1.3f, 0.4f, 2, 1.0f, 0.0f, 0.0f, 0.5f},
};

TEST_F(Stage5Flare, SixteenSpritesAlongTheAxisDimmedOutsideTheScreen) {
  const SGpKeyList* keys[4] = {SprLensFlareKeysA, SprLensFlareKeysB, SprLensFlareKeysC, SprLensFlareKeysD};
  // (340, 100): dx = 100, dy = -100, d = 100, g = 0.75. (100, 100): dx and
  // dy -100, g = 1.25, so bright records clamp at 1. (240, 900): dx 0,
  // dy 580, d held at 400, g = 0.
  struct Case {
    float x, y, g;
  };
  for (const Case c : {Case{340.0f, 100.0f, 0.75f}, Case{100.0f, 100.0f, 1.25f}, Case{240.0f, 900.0f, 0.0f}}) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    efx.ClearAll();
    rocks.Flare().Draw(31, 1.0f, 13, 0.5f, c.x, c.y);
    const std::vector<EfxSprite*> s = Sprites();
    ASSERT_EQ(s.size(), 16u);
    EXPECT_ALL({VAL(OnSheet(31), 1), VAL(OnSheet(13), 15)});
    for (int i = 0; i < 16; ++i) {
      SCOPED_TRACE(i);
      const Elem& e = kElems[i];
      const SGpSpriteCell* cell = s[size_t(i)]->Sprite();
      ASSERT_NE(cell, nullptr);
      const float alpha = std::clamp(e.a * c.g * (e.kind == 3 ? 1.0f : 0.5f), 0.0f, 1.0f);
      EXPECT_ALL({VAL(cell->ownPos[0], c.x * e.p), VAL(cell->ownPos[1], c.y * e.p), VAL(cell->ownPos[2], 0.0f),
                  VAL(cell->scaleX, e.size * 10.0f), VAL(cell->scaleY, e.size * 10.0f), VAL(cell->angle, 0.0f),
                  VAL(s[size_t(i)]->colour[0], e.r), VAL(s[size_t(i)]->colour[1], e.g),
                  VAL(s[size_t(i)]->colour[2], e.b), VAL(s[size_t(i)]->colour[3], alpha),
                  VAL(s[size_t(i)]->lifeA, 1), VAL(s[size_t(i)]->lifeB, 0),
                  VAL(s[size_t(i)]->track.GetList() == keys[e.kind], true)});
    }
  }
}

TEST_F(Stage5Flare, FlareSheetsFadeAndFlashByRailKey) {
  // Not yet at 4700; from 4701 the rings on sheet 31 at full factor.
  FlareAt(4700);
  EXPECT_EQ(Sprites().size(), 0u);
  for (int k : {4701, 4769, 4880, 4900, 4901, 5299}) {
    SCOPED_TRACE(k);
    FlareAt(k);
    EXPECT_ALL({VAL(Sprites().size(), 16u), VAL(OnSheet(31), 16), VAL(OnSheet(13), 0), VAL(OnSheet(8), 0)});
  }
  // 4770 to 4879: the rings on sheet 13, fading in over 4770 to 4819 by
  // (k - 4770) x 0.02; record 2 (alpha 1) against the glow (alpha 1).
  for (int k : {4770, 4795, 4819, 4820, 4879}) {
    SCOPED_TRACE(k);
    FlareAt(k);
    const std::vector<EfxSprite*> s = Sprites();
    ASSERT_EQ(s.size(), 16u);
    EXPECT_ALL({VAL(OnSheet(31), 1), VAL(OnSheet(13), 15)});
    const float factor = k < 4820 ? float(k - 4770) * 0.02f : 1.0f;
    const float glow = s[0]->colour[3];
    if (glow < 1.0f) {
      EXPECT_FLOAT_EQ(s[1]->colour[3], glow * factor);
    } else {
      EXPECT_GE(s[1]->colour[3], std::min(factor, 1.0f) - 1e-6f);
    }
    if (k == 4770) {
      EXPECT_EQ(s[1]->colour[3], 0.0f);
    }
  }
  // The white flash at 4920 only: sheet 8, 50 and 300 frames, 640 square,
  // white to clear at the centre.
  FlareAt(4919);
  EXPECT_EQ(OnSheet(8), 0);
  FlareAt(4920);
  ASSERT_EQ(OnSheet(8), 1);
  ASSERT_EQ(Sprites().size(), 17u);
  const EfxSprite* f = Sprites()[0];
  const SGpSpriteCell* cell = f->Sprite();
  ASSERT_NE(cell, nullptr);
  EXPECT_ALL({VAL(f->lifeA, 50), VAL(f->lifeB, 300), VAL(cell->scaleX, 640.0f), VAL(cell->scaleY, 640.0f),
              VAL(cell->ownPos[0], 0.0f), VAL(cell->ownPos[1], 0.0f), VAL(cell->ownPos[2], 0.0f),
              VAL(f->colour[0], 1.0f), VAL(f->colour[3], 1.0f), VAL(f->target[3], 0.0f)});
  FlareAt(4921);
  EXPECT_EQ(OnSheet(8), 0);
}

TEST_F(Stage5Flare, TheLightRidesOnTheCameraAxes) {
  const float* eye = g_MapMng.camera->GetPosition();
  float u1[4], u2[4], u3[4];
  g_MapMng.camera->GetAxes(u1, u2, u3);
  // L = eye + a1 u1 + a2 u2 + a3 u3; the glow (axis position 1) sits on
  // the light's screen point.
  struct Case {
    int k;
    float a1, a2, a3;
  };
  // 4800: f = 0.5: 6000 - 3000, 1000 - 10000, 80000. (Past 4900 the light
  // swings beside and behind the camera, where its projection is too
  // sensitive to compare.)
  for (const Case c : {Case{4800, 3000.0f, -9000.0f, 80000.0f}}) {
    SCOPED_TRACE(c.k);
    FlareAt(c.k);
    const std::vector<EfxSprite*> s = Sprites();
    ASSERT_EQ(s.size(), 16u);
    SVec3 l{};
    for (int i = 0; i < 3; ++i)
      (&l.x)[i] = eye[i] + u1[i] * c.a1 + u2[i] * c.a2 + u3[i] * c.a3;
    const SVec2 at = LensFlare::Project(l);
    const SGpSpriteCell* glow = s[0]->Sprite();
    ASSERT_NE(glow, nullptr);
    EXPECT_NEAR(glow->ownPos[0], at.x, std::abs(at.x) * 1e-3f + 1e-2f);
    EXPECT_NEAR(glow->ownPos[1], at.y, std::abs(at.y) * 1e-3f + 1e-2f);
  }
}

TEST_F(Stage5Flare, RocksBehindTheCameraGoOnlyAfterRail4300) {
  const float camZ = g_MapMng.camera->GetPosition()[2];
  map.t = 4000.0f;
  RockPiece* behind = rocks.SpawnRock(SVec4{0.0f, 0.0f, camZ - 5000.0f, 1.0f}, 1, 1000);
  RockPiece* ahead = rocks.SpawnRock(SVec4{0.0f, 0.0f, camZ + 50000.0f, 1.0f}, 1, 1000);
  ASSERT_NE(behind, nullptr);
  ASSERT_NE(ahead, nullptr);
  for (float t : {4000.0f, 4300.0f}) {
    map.t = t;
    static_cast<SProc&>(rocks).Main(0);
    EXPECT_EQ(rocks.Live().Count(), 2) << t;  // only age ends a rock here
  }
  EXPECT_EQ(behind->counter, 2);
  map.t = 4300.5f;  // key 4300, but the rail itself is past 4300
  static_cast<SProc&>(rocks).Main(0);
  EXPECT_EQ(rocks.Live().Count(), 1);
  EXPECT_EQ(rocks.Live().HeadObj(), ahead);
  EXPECT_EQ(ahead->counter, 3);
}

}  // namespace
