// Element values after N frames for each updater, against numbers worked by
// hand from the element rules.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "efx_fixture.h"
#include "game/effect/EfxTables.h"
#include "game/effect/RandF.h"
#include "game/tables/effect_tables.h"

namespace {

using testsupport::EfxWorld;
using V = std::vector<float>;

V XY(EfxSprite* e) { return {e->Sprite()->ownPos[0], e->Sprite()->ownPos[1]}; }

constexpr SVec4 kOrigin{0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
constexpr float kBlue[4] = {0.0f, 0.0f, 1.0f, 0.5f};

TEST_F(EfxWorld, SpriteFadesToItsTargetThenFadesOutAndIsReleased) {
  const SVec4 v{1.0f, 0.0f, 0.0f, 0.0f};
  const SVec4 v2{0.0f, 8.0f, 0.0f, 0.0f};
  EfxSprite* e = efx.SpawnSprite(6, &kOrigin, EfxKeyList7, kRed, kBlue, 15, 5, 0.25f, 2.0f, 3.0f, &v, &v2, 0.5f, 1);
  ASSERT_NE(e, nullptr);
  SGpSpriteCell* s = e->Sprite();
  EXPECT_EQ(e->flags, 1u | 2u | 4u | 8u);
  EXPECT_EQ(s->angle, 0.25f);
  EXPECT_TRUE(s->billboard);
  Step(3);
  // Three frames: x = 3 x 1; y = 8 x (0.5 + 0.25 + 0.125) = 7.
  EXPECT_FLOAT_EQ(s->ownPos[0], 3.0f);
  EXPECT_FLOAT_EQ(s->ownPos[1], 7.0f);
  // Colour 3/15 of the way from red to blue.
  EXPECT_FLOAT_EQ(s->colour[0], 0.8f);
  EXPECT_FLOAT_EQ(s->colour[2], 0.2f);
  EXPECT_FLOAT_EQ(s->colour[3], 0.9f);
  Step(12);  // the 15th step reaches the target
  EXPECT_FLOAT_EQ(s->colour[2], 1.0f);
  EXPECT_FLOAT_EQ(s->colour[3], 0.5f);
  Step(1);  // B: 1 - 1/5 of the target alpha
  EXPECT_FLOAT_EQ(s->colour[3], 0.4f);
  Step(3);
  EXPECT_FLOAT_EQ(s->colour[3], 0.1f);
  EXPECT_EQ(e->alive, 1);
  Step(1);  // counter reaches 0: last alpha still shown, released next step
  EXPECT_EQ(e->alive, 0);
  EXPECT_EQ(efx.LiveCount(1), 1);
  Step(1);
  EXPECT_EQ(efx.LiveCount(1), 0);
  EXPECT_EQ(SheetCount(6), 0);
}

TEST_F(EfxWorld, SpriteSpawnRulesForColoursModesAndLookRecords) {
  // The same pointer for colour and target: no fade; B fades from its alpha.
  EfxSprite* same = efx.SpawnSprite(6, &kOrigin, EfxKeyList7, kBlue, kBlue, 1, 4, 0, 1, 1, nullptr, nullptr, 0, 1);
  EXPECT_EQ(same->flags, 0u);
  EXPECT_EQ(same->fadeAlpha, 0.5f);
  // No colours: white, fade alpha 1.
  EfxSprite* plain = efx.SpawnSprite(6, &kOrigin, EfxKeyList7, nullptr, nullptr, 1, 1, 0, 1, 1, nullptr, nullptr, 0, 0);
  EXPECT_EQ(plain->fadeAlpha, 1.0f);
  EXPECT_EQ(plain->Sprite()->colour[1], 1.0f);
  // Mode 0 puts the sprite at the front of the sheet, 1 at the back.
  EXPECT_EQ(game.LayerBatch(6).GetList()->HeadObj(), plain->Sprite());
  EXPECT_EQ(game.LayerBatch(6).GetList()->TailObj(), same->Sprite());
  EXPECT_EQ(efx.SpawnSprite(6, &kOrigin, EfxKeyList7, nullptr, nullptr, 1, 1, 0, 1, 1, nullptr, nullptr, 0, 2), nullptr);
  EXPECT_EQ(efx.SpawnSprite(37, &kOrigin, EfxKeyList7, nullptr, nullptr, 1, 1, 0, 1, 1, nullptr, nullptr, 0, 1), nullptr);
  EXPECT_EQ(efx.LiveCount(1), 2);
  // Look record: equal colours give no fade; counter starts at p.
  EfxSprite* look = efx.SpawnSpriteDir(8, &kOrigin, &SprEfx07DescB, 0.1f, 1, 1, nullptr, nullptr, 0, 1);
  EXPECT_EQ(look->flags & EfxSprite::kFade, 0u);
  EXPECT_EQ(look->counter, 25);
  EXPECT_FLOAT_EQ(look->Sprite()->angle, 0.1f);  // view mode 10: no quarter turn
  EfxSprite* fading = efx.SpawnSpriteDir(8, &kOrigin, &SprEfx07DescA, 0.0f, 1, 1, nullptr, nullptr, 0, 1);
  EXPECT_EQ(fading->flags & EfxSprite::kFade, EfxSprite::kFade);
  EXPECT_EQ(fading->fadeAlpha, 0.0f);
  game.SetViewMode(1);  // a vertical screen turns look sprites back a quarter
  EXPECT_FLOAT_EQ(efx.SpawnSpriteDir(8, &kOrigin, &SprEfx07DescB, 0.1f, 1, 1, nullptr, nullptr, 0, 1)->Sprite()->angle,
                  -0.15f);
}

TEST_F(EfxWorld, SpriteWithoutLivesEndsWhenItsAnimationWraps) {
  // EfxKeyList5: two keys of 15 frames.
  EfxSprite* e = efx.SpawnSprite(6, &kOrigin, EfxKeyList5, nullptr, nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, 0, 1);
  Step(29);
  EXPECT_EQ(e->alive, 1);
  Step(1);
  EXPECT_EQ(e->alive, 0);
}

TEST_F(EfxWorld, AnchoredSpriteFollowsItsHolderAndStaysWhereItWasWhenTheHolderEnds) {
  struct Mover : SProc {
    SVec4 pos{10.0f, 20.0f, 0.0f, 1.0f};
  };
  auto* mover = new Mover;
  root.AddChild(0, mover, 0);
  const SVec4 off{1.0f, 2.0f, 0.0f, 0.0f};
  const SVec4 v{0.0f, 1.0f, 0.0f, 0.0f};
  EfxSprite* e = efx.SpawnSpriteEx2(6, &mover->pos, &off, EfxKeyList7, nullptr, nullptr, 30, 30, 0, 1, 1, &v,
                                    nullptr, 0, 1, mover);
  EXPECT_FLOAT_EQ(e->Sprite()->ownPos[0], 10.0f);  // starts at the anchor
  Step(1);
  EXPECT_EQ(XY(e), (V{11.0f, 23.0f}));
  mover->pos.x = 50.0f;
  Step(1);
  EXPECT_EQ(XY(e), (V{51.0f, 24.0f}));
  mover->Dispose();  // the holder is gone: the sprite keeps its place and drifts on
  Step(1);
  EXPECT_EQ(XY(e), (V{51.0f, 25.0f}));
  EXPECT_EQ(e->anchor.ptr, nullptr);
}

TEST_F(EfxWorld, StreakIsDrawnLifeTimesAndFadesByACosine) {
  const SVec4 v{4.0f, 0.0f, 0.0f, 0.0f};
  EfxStreak* e = efx.SpawnB(7, &kOrigin, &v, 4, 1.0f);
  EXPECT_EQ(e->kind, 2);  // 7 mod 5
  for (int i = 0; i < 4; ++i) {
    Step(1);
    ASSERT_EQ(efx.StreakPrim().GetActiveCount(), 1) << i;
  }
  // Last drawing: t = 3/4, alpha cos(3/16 turn) = 0.3827 -> 98.
  EXPECT_EQ(efx.StreakPrim().GetVertexColour(0) >> 24, 98u);
  // Head moved by 4 x (1 - sin(t/4 turn)) per step, t = 0, 1/4, 1/2, 3/4.
  float head = 0.0f;
  for (float t : {0.0f, 0.25f, 0.5f, 0.75f}) head += 4.0f * (1.0f - std::sin(t * 0.25f * 6.2831855f));
  EXPECT_NEAR(e->head.x, head, 1e-4f);
  // Side vector: velocity along x, side along y of length width x 4.
  EXPECT_NEAR(efx.StreakPrim().GetVertexPos(0).y - efx.StreakPrim().GetVertexPos(1).y, -8.0f, 1e-4f);
  Step(1);
  EXPECT_EQ(efx.LiveCount(2), 0);
  EXPECT_EQ(efx.StreakPrim().GetActiveCount(), 0);
}

TEST_F(EfxWorld, RingRadiusWidthAndAlphaOverItsLife) {
  const float c[4] = {1, 1, 1, 1};
  const SVec4 v{0.0f, 2.0f, 0.0f, 0.0f};
  EfxRing* ring = efx.SpawnC(1, 3 /* mod 3 = 0 */, &kIdentityMatrix, 10.0f, 50.0f, 0.0f, 8.0f, c, c, 8, &v);
  EfxRing* noFade = efx.SpawnC(0, 1, &kIdentityMatrix, 0.0f, 0.0f, 0.0f, 0.0f, c, c, 8, nullptr);
  EXPECT_EQ(ring->easing, 0);
  Step(1);  // t = 0: radius 10, width 0; fades in from alpha 0
  EXPECT_EQ(ring->prim->GetVertexColour(0) >> 24, 0u);
  EXPECT_FLOAT_EQ(ring->prim->GetVertexPos(1).x, 10.0f);
  EXPECT_EQ(noFade->prim->GetVertexColour(0) >> 24, 255u);  // start radius 0: no fade in
  Step(1);  // t = 1/8: alpha 0.5; radius 10 + 40 (1 - cos(pi/8))/2
  EXPECT_EQ(ring->prim->GetVertexColour(0) >> 24, 128u);
  EXPECT_NEAR(ring->prim->GetVertexPos(1).x, 10.0f + 40.0f * (1.0f - std::cos(3.1415927f / 8)) / 2, 1e-3f);
  Step(4);  // t = 5/8: alpha 1 - 1/8 x 2 = 0.75; width 8 (1 - cos(5/4 pi))/2
  EXPECT_EQ(ring->prim->GetVertexColour(0) >> 24, 191u);
  const float r = 10.0f + 40.0f * (1.0f - std::cos(3.1415927f * 0.625f)) / 2;
  const float w = 8.0f * (1.0f - std::cos(6.2831855f * 0.625f)) / 2;
  EXPECT_NEAR(ring->prim->GetVertexPos(0).x, r - w, 1e-3f);
  EXPECT_EQ(noFade->prim->GetVertexColour(0) >> 24, 255u);  // end radius 0: no fade out
  EXPECT_FLOAT_EQ(ring->world.GetMatrix().m[3][1], 12.0f);  // drifted six frames
  Step(2);  // the 8th and last drawing
  EXPECT_EQ(efx.LiveCount(3), 2);
  Step(1);
  EXPECT_EQ(efx.LiveCount(3), 0);
}

TEST_F(EfxWorld, OwnedRingEndsWithItsOwnerAndFollowsItsMatrix) {
  const float c[4] = {1, 1, 1, 1};
  auto* owner = new SProc;
  root.AddChild(0, owner, 0);
  SMatrix m = kIdentityMatrix;
  EfxRing* e = efx.SpawnC3(1, 1, &m, 1.0f, 2.0f, 0.0f, 1.0f, c, c, 1000, owner, owner);
  m.m[3][0] = 33.0f;
  Step(1);
  EXPECT_EQ(e->world.GetMatrix().m[3][0], 33.0f);
  owner->Kill(0);
  Step(1);
  EXPECT_EQ(efx.LiveCount(4), 0);
}

TEST_F(EfxWorld, DiscSegmentsFadesAndPositionOnlyFollowing) {
  const float c[4] = {1, 1, 1, 1};
  SMatrix m = kIdentityMatrix;
  m.m[0][0] = 0.0f, m.m[0][1] = 1.0f, m.m[1][0] = -1.0f, m.m[1][1] = 0.0f;  // turned a quarter
  m.m[3][0] = 7.0f;
  EfxDisc* big = efx.SpawnD3(1, 1, &m, 4.0f, 4.0f, c, c, 4, nullptr, nullptr);
  EfxDisc* small = efx.SpawnD2(0, 1, &m, 0.0f, 4.0f, c, c, 4, nullptr, nullptr);
  Step(1);
  EXPECT_EQ(big->prim->GetVertexCapacity(), 6 * 128 + 2);
  EXPECT_EQ(small->prim->GetVertexCapacity(), 6 * 24 + 2);
  EXPECT_EQ(big->world.GetMatrix().m[0][0], 1.0f);  // orientation stays the identity
  EXPECT_EQ(big->world.GetMatrix().m[3][0], 7.0f);
  EXPECT_EQ(small->world.GetMatrix().m[0][1], 1.0f);
  EXPECT_EQ(big->prim->GetVertexColour(0) >> 24, 0u);    // sin(0): fading in
  EXPECT_EQ(small->prim->GetVertexColour(0) >> 24, 255u);  // start radius 0: not
  Step(2);  // t = 1/2: cos(0) = 1
  EXPECT_EQ(big->prim->GetVertexColour(0) >> 24, 255u);
  Step(1);  // t = 3/4: cos(pi/4) = 0.7071 -> 180
  EXPECT_EQ(big->prim->GetVertexColour(0) >> 24, 180u);
}

TEST_F(EfxWorld, RibbonKeepsAtMostNPlusOnePointsNewestFirst) {
  EfxRibbon* r = efx.SpawnRibbon(16, 0.9f, 0);
  for (int i = 0; i < 18; ++i) {
    const SVec4 p{static_cast<float>(i), 0.0f, 0.0f, 1.0f};
    EfxMan::AddRibbonPoint(r, &p, 2.0f, EfxTendrilRect(0, 0));
  }
  ASSERT_EQ(r->points.size(), 17u);
  EXPECT_EQ(r->points.front().x, 17.0f);
  EXPECT_EQ(r->points.back().x, 1.0f);
  Step(1);
  EXPECT_EQ(r->prim->GetActiveCount(), 16);
  EXPECT_FLOAT_EQ(r->points[0].width, 1.8f);
  // A straight ribbon along -x (newest at +x): edges straight across, y = +-2;
  // the far pair of the oldest segment has alpha 0.
  EXPECT_NEAR(r->prim->GetVertexPos(0).y, 2.0f, 1e-4f);
  EXPECT_NEAR(r->prim->GetVertexPos(1).y, -2.0f, 1e-4f);
  EXPECT_EQ(r->prim->GetVertexColour(15 * 4 + 2) >> 24, 0u);
  EXPECT_EQ(r->prim->GetVertexColour(15 * 4 + 1) >> 24, 255u);
  // n = 0 keeps only the newest point (never a segment); a negative n
  // keeps as many.
  for (int32_t n : {0, -3}) {
    EfxRibbon* one = efx.SpawnRibbon(n, 0.9f, 0);
    ASSERT_NE(one, nullptr) << n;
    for (int i = 0; i < 3; ++i) {
      const SVec4 p{static_cast<float>(i), 0.0f, 0.0f, 1.0f};
      EfxMan::AddRibbonPoint(one, &p, 2.0f, EfxTendrilRect(0, 0));
    }
    ASSERT_EQ(one->points.size(), 1u) << n;
    EXPECT_EQ(one->points.front().x, 2.0f) << n;
  }
}

TEST_F(EfxWorld, TendrilLaysTwoPointsAFrameAndTakesItsRibbonWithIt) {
  const SVec4 start{0, 0, 0, 1}, target{100, 0, 0, 1};
  EfxTendril* t = efx.SpawnF(1, &start, &target, 4.0f, 4.0f, 3.0f, 4);
  EfxRibbon* r = t->ribbon.Get();
  EXPECT_EQ(t->heading, 0.0f);
  EXPECT_EQ(r->points.size(), 1u);
  EXPECT_EQ(r->points[0].rect, &SprEfx08[8]);  // row 1: parts 8 to 15
  const uint32_t seed = plat::RandSeed();
  Step(1);
  EXPECT_NE(plat::RandSeed(), seed);  // one draw for the turn
  EXPECT_EQ(r->points.size(), 3u);
  EXPECT_EQ(r->points[0].rect, &SprEfx08[8 + 7]);  // phase 0, then -1: 7 mod 8
  Step(3);
  EXPECT_FLOAT_EQ(r->alpha, 0.5f);  // t = 3/4
  Step(1);
  EXPECT_EQ(efx.LiveCount(7), 0);
  EXPECT_EQ(efx.LiveCount(6), 0);
  // SpawnF2 draws a rectangle phase after the heading.
  plat::SRand(0);
  EfxTendril* f2 = efx.SpawnF2(0, &start, &target, 4.0f, 4.0f, 3.0f, 4, nullptr);
  plat::SRand(0);
  EXPECT_EQ(f2->phase, static_cast<int32_t>(RandF() * 8.0f));
}

TEST_F(EfxWorld, GlowSparksOnlyUntilFifteenFramesBeforeItsEnd) {
  const SVec4 p{5, 5, 0, 1};
  EfxGlow* g = efx.SpawnE(&p, 1, 20.0f, 20, nullptr);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(efx.LiveCount(5), 2);
  EXPECT_EQ(g->discA->life, 21);
  int sparks[8] = {};
  for (int i = 0; i < 8; ++i) {
    Step(1);
    sparks[i] = efx.LiveCount(1);
  }
  // Ages 0, 2 and 4 spark (age <= life - 15); the sparks live 20 frames.
  EXPECT_EQ(std::vector<int>(sparks, sparks + 8), (std::vector<int>{1, 1, 2, 2, 3, 3, 3, 3}));
  EXPECT_EQ(efx.SpawnE(&p, 5, 20.0f, 20, nullptr) != nullptr, true);
  EXPECT_EQ(efx.LiveCount(5), 2);  // kinds other than 0 to 2: no discs
}

TEST_F(EfxWorld, UpdateOrderLetsSequencesFeedTheSameFrame) {
  // A sequence of kind 7 bursts on its first step; its smoke sprites and
  // streaks are stepped in the same EVENT_END (their updaters run after).
  EfxSequence* s = efx.SpawnRandom(7, &kOrigin, 0.0f, nullptr);
  ASSERT_NE(s, nullptr);
  Step(1);
  ASSERT_GT(efx.LiveCount(1), 0);
  const auto* e = static_cast<const EfxSprite*>(efx.Live(1).HeadObj());
  EXPECT_EQ(e->counter, 29);  // already stepped once
  EXPECT_EQ(efx.StreakPrim().GetActiveCount(), efx.LiveCount(2));
}

}  // namespace
