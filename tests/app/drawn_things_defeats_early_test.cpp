// What the defeat shows of stage 1's last boss, stage 2's first and stage
// 3's boss of the climb draw reaches the screen where their numbers put it:
// each boss on its stage as it plays, defeated once, its show held still at
// moments; at each, every effect then alive is taken away in turn and must
// change a share of the box that the boss's place, its depth and the show's
// offsets give, and nothing outside it. The frames between the moments are
// run without drawing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "game/effect/EfxElements.h"
#include "game/effect/EfxTables.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "support/DrawnBoxes.h"
#include "support/DrawnThings.h"

namespace {

using testsupport::Around;
using testsupport::At;
using testsupport::Damped;
using testsupport::DepthBox;
using testsupport::FlashReach;
using testsupport::GlowReach;
using testsupport::Hide;
using testsupport::IsFlash;
using testsupport::IsGlowSpot;
using testsupport::IsSmoke;
using testsupport::IsStreak;
using testsupport::IsWhiteJet;
using testsupport::PixelBox;
using testsupport::Reach;
using testsupport::StreakNear;
using testsupport::StreakReach;
using testsupport::Union;

constexpr float kTwoPi = 6.2831853f;

// A model part's place seen on the play plane, as the show reads it.
At PartAt(BossPartsObject* c, int n) {
  const float* w = c->GetNode(n)->GetWorld()->m[3];
  const float k = 512.0f / (512.0f + w[2]);
  return At{w[0] * k, w[1] * k};
}

// A show's grid: its point (x, y) stands at (s x, s y cos a, z + s y sin a)
// before the fixed screen camera, a the tilt about x; the box on the
// picture of the square of half size r about (x, y), cut to the play field.
PixelBox GridBox(float x, float y, float r, float s, float tilt, float z) {
  const float a = tilt * kTwoPi;
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  for (float gx : {x - r, x + r})
    for (float gy : {y - r, y + r}) {
      const float k = 512.0f / (512.0f + z + s * gy * std::sin(a));
      x0 = std::fmin(x0, s * gx * k), x1 = std::fmax(x1, s * gx * k);
      y0 = std::fmin(y0, s * gy * std::cos(a) * k), y1 = std::fmax(y1, s * gy * std::cos(a) * k);
    }
  PixelBox b = DepthBox(x0, y0, x1, y1);
  b.x0 = std::max(b.x0, 140), b.x1 = std::min(b.x1, 500);
  return b;
}

// A brush burst paints the grid points within its radius plus its brushes'
// size of its place; the grid's triangles carry the colour one cell (10
// units) on.
float Painted(float radius, float size) { return radius + size + 15.0f; }

// Drops the packets `which` picks while `*on`, so that a thing taken away
// at one moment is back for the next: the show's grid (its world and its
// colour grid) or the boss's model.
std::function<void()> DropWhile(testsupport::Headless& h, std::shared_ptr<bool> on,
                                std::function<bool(int, SGpObj*)> which) {
  return [&h, on, which] {
    *on = true;
    h.DropPackets([on, which](int key, SGpObj* p) { return *on && which(key, p); });
  };
}
std::function<bool(int, SGpObj*)> GridOf(BossPartsObject* c) {
  const SGpObj* world = &c->SetA()->world;
  const SGpObj* grid = &c->SetA()->grid;
  return [world, grid](int key, SGpObj* p) { return key == ScriptedProc::kKeySetA && (p == world || p == grid); };
}

// The green jets of the burst form (life 20) and the scattered green puffs
// (life 15) share their look: told apart by their life.
bool IsGreenJetOnly(const EfxSprite& e) { return testsupport::IsGreenJet(e) && e.lifeA == 20; }
bool IsGreenPuff(const EfxSprite& e) { return testsupport::IsGreenJet(e) && e.lifeA == 15; }
// The shrinking flash's frames, spawned clear.
// The glows of a size up to s.
std::function<void()> HideGlows(float s) {
  return testsupport::HideEfxSprites(
      [s](const EfxSprite& e) { return IsGlowSpot(e) && e.Sprite()->scaleX <= 24.0f * s + 1e-3f; });
}
bool IsShrinkingFlash(const EfxSprite& e) {
  static constexpr float kClear[4] = {1, 1, 1, 0};
  for (int j = 0; j < 7; ++j)
    if (e.track.GetList() == EfxKeyListTable(j)) return testsupport::SameColour(e.colour, kClear);
  return false;
}

// A jet of spread up to w (the sideways share `side` of it, 4 more along
// it) `n` frames on: 0.1 of its throw a frame and the throw damped by f.
float JetTravel(float w, float side, float f, int n) {
  const float jet = std::hypot(4.0f + w, side * w);
  return 0.1f * jet * float(n) + jet * Damped(f, n);
}

// A puff `n` frames old, rising a unit a frame and 0.2 more each frame,
// drifting half a unit sideways at most; towards the eye 2 a frame and 0.3
// more each frame.
float PuffRise(int n) { return float(n) + 0.1f * float(n * (n + 1)) + 0.5f * float(n); }
float PuffNear(int n) { return 2.0f * float(n) + 0.15f * float(n * (n + 1)); }

// The shrinking flash: its seven frames at up to 1.5 of their parts.
float ShrinkingFlashReach() {
  float r = 0.0f;
  for (int j = 0; j < 7; ++j) r = std::fmax(r, Reach(EfxKeyListTable(j)));
  return 1.5f * r;
}

// Boss type 4, stage 1's last (its record waits for rail key 8230), shot
// down on its tour at depth 3830 (the fight 420 frames on). Its grid, 9.5
// times its 480 x 640 turned 0.05 turn back about x, stands at the model
// root's depth, the boss's. Count 27: bursts on the grid at (-20, 100) and
// (20, 0) (count 0, discs of 35 and brushes of 50, rings of 45 and 15),
// (-30, -75) (count 15) and (0, -125) (count 25), discs of 25 and brushes
// of 37.5, rings of 40; a flash, four streaks and a glow at the points of
// nodes 20 (count 0), 27 (15) and 44 (25); three green jets at node 14's
// point, 32 apart, thrown down the 0.2 turn at a spread of 16 to 1, sprites
// 1.5. Count 52: the ring at node 27's point 10 right (count 45): eight
// green jets and eight white ones (spread 15 to 2, the white ones 0.3 of it
// sideways and sprites 2), a shrinking flash and a glow; a burst at (-150,
// -50); radius bursts about (0, -150) at angles 0.45 + 0.23 s turns,
// radius 160 less up to 120 as the window runs, discs of 30 and brushes of
// 50, rings of 60.
TEST(DrawnThings, DefeatShowOfBossFour) {
  testsupport::DefeatShow s(1, 8230.0f, "Boss02", 420);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  const float* p = s.boss->GetPosition();
  const float z = p[2];
  std::printf("[ show     ] found at count %d, boss at %.1f %.1f %.1f\n", s.companion->timer.GetCount(), p[0], p[1],
              z);
  const At n14 = PartAt(s.companion, 14), n20 = PartAt(s.companion, 20), n27 = PartAt(s.companion, 27);
  auto grid = [z](float x, float y, float r) { return GridBox(x, y, r, 9.5f, -0.05f, z); };
  const PixelBox early = Union(Union(grid(-20, 100, Painted(45, 50)), grid(20, 0, Painted(45, 50))),
                               grid(-30, -75, Painted(40, 37.5f)));
  auto gridOff = std::make_shared<bool>(false);

  ASSERT_TRUE(s.StillAt(18));
  {
    const float jets = JetTravel(16.0f, 0.2f, 0.9f, 18) + 1.5f * Reach(EfxKeyList1);
    testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 4 count 18: flashes", Hide(IsFlash), Union(Around(n20, FlashReach()), Around(n27, FlashReach())),
                200, 0, 0.1},
               {"boss 4 count 18: streaks", Hide(IsStreak),
                Union(Around(n20, StreakReach(18), StreakNear(18)), Around(n27, StreakReach(3), StreakNear(3))), 200,
                0, 0.05},
               {"boss 4 count 18: green jets", Hide(IsGreenJetOnly),
                Around(At{n14.x - 32.0f, n14.y}, At{n14.x + 32.0f, n14.y}, jets, jets), 200, 0, 0.03},
               {"boss 4 count 18: glows", Hide(IsGlowSpot),
                Union(Around(n20, GlowReach(1.0f)), Around(n27, GlowReach(1.0f))), 200, 0, 0.3},
               {"boss 4 count 18: grid", DropWhile(h, gridOff, GridOf(s.companion)), early, 500, 0, 0.05},
           });
  }
  *gridOff = false;

  ASSERT_TRUE(s.StillAt(52));
  {
    const At ring{n27.x + 10.0f, n27.y};
    const float green = JetTravel(15.0f, 0.2f, 0.9f, 7) + 1.5f * Reach(EfxKeyList1);
    const float white = JetTravel(15.0f, 0.3f, 0.9f, 7) + 2.0f * Reach(EfxKeyList5);
    // The radius bursts of counts 47 and 51: angles 0.335 to 0.565 turns at
    // radius 160 (less 120 (1 - cos(6 / 90 x pi/2)), under a unit, later).
    PixelBox radius = testsupport::kNothing;
    for (int i = 0; i <= 46; ++i) {
      const float a = (0.335f + 0.005f * float(i)) * kTwoPi;
      for (float r : {159.0f, 160.0f})
        radius = Union(radius, grid(r * std::cos(a), -150.0f + r * std::sin(a), Painted(60, 50)));
    }
    testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 4 count 52: green jets", Hide(IsGreenJetOnly), Around(ring, green, green), 200, 0, 0.03},
               {"boss 4 count 52: white jets", Hide(IsWhiteJet), Around(ring, white, white), 200, 0, 0.03},
               {"boss 4 count 52: shrinking flash", Hide(IsShrinkingFlash), Around(n27, ShrinkingFlashReach()),
                50, 0, 0.05},
               {"boss 4 count 52: grid", DropWhile(h, gridOff, GridOf(s.companion)),
                Union(Union(early, grid(0, -125, Painted(40, 37.5f))), Union(grid(-150, -50, Painted(40, 37.5f)), radius)),
                1000, 0, 0.05},
           });
  }
}

// Boss type 5, stage 2's first (its record waits for rail key 4391), shot
// down on its sweep, away from home (the fight 300 frames on), on the play
// plane. Its stand-in wreck is a hull with 42 pieces on rings round it, all
// within 0.91 of its half span, 120 units, of the root at the boss's place,
// turned any way. Node 0, a piece, goes at count 80, 9 at 120, 21 and 23
// at 145: at count 150 the wreck shows; over [200, 300] it shrinks by 1 -
// sin(r pi/2), to 0.29 at 250. From 340 the last blast: glows of 0.25, 0.5
// and 1.5 at the wreck's place, and every odd count 16 green puff sources
// on a ring of radius 20 + 250 r about the place 20 lower (2.5 x the puffs,
// 5 frames each, a puff every other frame from (-4, -12) to (4, -4) off its
// source).
TEST(DrawnThings, DefeatShowOfBossFive) {
  testsupport::DefeatShow s(2, 4391.0f, "Boss03", 300);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  const float* p = s.boss->GetPosition();
  const At place{p[0], p[1]};
  std::printf("[ show     ] found at count %d, boss at %.1f %.1f %.1f\n", s.companion->timer.GetCount(), p[0], p[1],
              p[2]);
  EXPECT_GT(std::fabs(p[0]), 60.0f) << "shot down at home";
  const auto wreck = [&](float k) {
    const float r = 0.91f * 120.0f * k;
    return DepthBox(place.x - r, place.y - r, place.x + r, place.y + r, p[2] - r, p[2] + r);
  };
  auto model = std::make_shared<bool>(false);
  const SGpObj* m = s.companion->owner;
  const auto isModel = [m](int, SGpObj* o) { return o == m; };

  ASSERT_TRUE(s.StillAt(150));
  const auto at150 = testsupport::ExpectEachChangesThePicture(h, {
                                                                     {"boss 5 count 150: wreck",
                                                                      DropWhile(h, model, isModel), wreck(1.0f), 3000, 0,
                                                                      0.08},
                                                                 });
  *model = false;
  ASSERT_TRUE(s.StillAt(250));
  const float k250 = 1.0f - std::sin(0.5f * kTwoPi / 4.0f);
  const auto at250 = testsupport::ExpectEachChangesThePicture(h, {
                                                                     {"boss 5 count 250: shrunk wreck",
                                                                      DropWhile(h, model, isModel), wreck(k250), 250, 0,
                                                                      0.08},
                                                                 });
  *model = false;
  ASSERT_EQ(at150.size(), 1u);
  ASSERT_EQ(at250.size(), 1u);
  EXPECT_LT(at250[0].inside, at150[0].inside / 2) << "the wreck does not shrink";

  ASSERT_TRUE(s.StillAt(345));
  {
    // Sources of counts 341, 343 and 345 (r = 0.05 to 0.25): puffs up to 4
    // frames old.
    const At ring{place.x, place.y + 20.0f};
    const float puff = 1.75f * 2.5f * Reach(EfxKeyList1) + PuffRise(4);
    const float r1 = 20.0f + 250.0f * 0.25f;
    const float reach = r1 + 4.0f + puff;
    PixelBox puffs = Around(At{ring.x, ring.y - 8.0f}, reach, PuffNear(4));
    const auto blast = testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 5 count 345: small glows at the wreck", HideGlows(0.5f), Around(place, GlowReach(0.5f)), 500, 0,
                0.25},
               {"boss 5 count 345: large glow at the wreck", Hide(IsGlowSpot), Around(place, GlowReach(1.5f)), 500, 0,
                0.3},
               {"boss 5 count 345: ring of green puffs", Hide(IsGreenPuff), puffs, 500, 0, 0.04},
           });
    // The ring stands about its centre: the middle of what it changes is
    // the centre's pixel, its puffs 8 units up and rising 4 frames.
    ASSERT_EQ(blast.size(), 3u);
    const PixelBox& c = blast[2].changed;
    EXPECT_NEAR(0.5f * float(c.x0 + c.x1), 320.0f + 0.75f * ring.x, 12.0f);
    EXPECT_NEAR(0.5f * float(c.y0 + c.y1), 240.0f + 0.75f * (ring.y - 8.0f - 0.5f * PuffRise(4)), 12.0f);
  }
}

// Boss type 10, stage 3's boss of the climb (its record waits for rail key
// 4500), shot down on its arrow tour once it has climbed to depth 3033 (the
// fight 180 frames on). Its flash, 10 times its 480 x 480 turned 0.0365
// turn back about x, stands at the model root's depth, the boss's. Count
// 12: on the flash at (-20, 60), (20, 0), (-20, -80) and (100, 40) discs of
// 35 and brushes of 50, and at the point Q of node 68 rings of 45 and 15;
// a flash, four streaks and a glow at node 1's point P, 20 left and 30
// below it and at Q; three green jets at P and 32 either side, thrown down
// the 0.2 turn at a spread of 16 to 1, sprites 1.5. Count 131: since 125,
// on every odd count a spark at (10, -60) + 200 (cos, sin) of 0.1 to 0.4
// turns (radius less 120 (1 - cos(r pi/2)), under a unit by then), discs of
// 30 and brushes of 50, rings of 60; at 125, 17 green jets and 17 white
// ones (spread 18 to 2) at P + (10, -45), six smoke columns and six green
// puff sources about P + (10 + 5 i, -50 - 5 i), i = 0 to 5, 6 units off,
// and a glow of 1 at P + (10, -50).
TEST(DrawnThings, DefeatShowOfBossTen) {
  testsupport::DefeatShow s(3, 4500.0f, "Boss08", 180);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  const float* p = s.boss->GetPosition();
  const float z = p[2];
  std::printf("[ show     ] found at count %d, boss at %.1f %.1f %.1f\n", s.companion->timer.GetCount(), p[0], p[1],
              z);
  const At n1 = PartAt(s.companion, 1), q = PartAt(s.companion, 68);
  auto grid = [z](float x, float y, float r) { return GridBox(x, y, r, 10.0f, -0.0365f, z); };
  PixelBox first = grid(q.x, q.y, Painted(45, 15));
  for (const auto& o : {At{-20, 60}, At{20, 0}, At{-20, -80}, At{100, 40}})
    first = Union(first, grid(o.x, o.y, Painted(35, 50)));

  auto gridOff = std::make_shared<bool>(false);

  ASSERT_TRUE(s.StillAt(12));
  {
    const float jets = JetTravel(16.0f, 0.2f, 0.9f, 12) + 1.5f * Reach(EfxKeyList1);
    const At below{n1.x - 20.0f, n1.y + 30.0f};
    testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 10 count 12: flashes", Hide(IsFlash),
                Union(Around(n1, below, FlashReach()), Around(q, FlashReach())), 300, 0, 0.1},
               {"boss 10 count 12: streaks", Hide(IsStreak),
                Union(Around(n1, below, StreakReach(12), StreakNear(12)), Around(q, StreakReach(12), StreakNear(12))),
                200, 0, 0.03},
               {"boss 10 count 12: green jets", Hide(IsGreenJetOnly),
                Around(At{n1.x - 32.0f, n1.y}, At{n1.x + 32.0f, n1.y}, jets, jets), 200, 0, 0.03},
               {"boss 10 count 12: glows", Hide(IsGlowSpot),
                Union(Around(n1, below, GlowReach(1.0f)), Around(q, GlowReach(1.0f))), 200, 0, 0.3},
               {"boss 10 count 12: flash grid", DropWhile(h, gridOff, GridOf(s.companion)), first, 500, 0, 0.04},
           });
  }
  *gridOff = false;

  ASSERT_TRUE(s.StillAt(131));
  {
    const At jet{n1.x + 10.0f, n1.y - 45.0f};
    const float green = JetTravel(18.0f, 0.2f, 0.9f, 6) + 1.5f * Reach(EfxKeyList1);
    const float white = JetTravel(18.0f, 0.3f, 0.9f, 6) + 2.0f * Reach(EfxKeyList5);
    const At c0{n1.x + 10.0f, n1.y - 50.0f}, c1{n1.x + 35.0f, n1.y - 75.0f};
    const float smoke = 6.0f + 1.5f * Reach(EfxKeyList4) + PuffRise(6);
    const float puffs = 6.0f + 4.0f + 8.0f + 1.75f * Reach(EfxKeyList1) + PuffRise(6);
    PixelBox sparks = testsupport::kNothing;
    for (int i = 0; i <= 30; ++i) {
      const float a = (0.1f + 0.01f * float(i)) * kTwoPi;
      for (float r : {199.0f, 200.0f})
        sparks = Union(sparks, grid(10.0f + r * std::cos(a), -60.0f + r * std::sin(a), Painted(60, 50)));
    }
    testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 10 count 131: green jets", Hide(IsGreenJetOnly), Around(jet, green, green), 200, 0, 0.03},
               {"boss 10 count 131: white jets", Hide(IsWhiteJet), Around(jet, white, white), 200, 0, 0.03},
               {"boss 10 count 131: smoke", Hide(IsSmoke), Around(c0, c1, smoke, PuffNear(6)), 200, 0, 0.05},
               {"boss 10 count 131: green puffs", Hide(IsGreenPuff), Around(c0, c1, puffs, PuffNear(6)), 200, 0,
                0.05},
               {"boss 10 count 131: glow", Hide(IsGlowSpot), Around(c0, GlowReach(1.0f)), 200, 0, 0.3},
               {"boss 10 count 131: flash grid with its sparks", DropWhile(h, gridOff, GridOf(s.companion)),
                Union(first, sparks), 1000, 0, 0.15},
           });
  }
}

}  // namespace
