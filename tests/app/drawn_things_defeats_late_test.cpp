// What the defeat shows of stage 3's last boss and stage 4's three bosses
// draw reaches the screen where their numbers put it: each boss on its
// stage as it plays, defeated once, its show held still at moments; at
// each, every effect then alive is taken away in turn and must change a
// share of the box that the boss's place and the show's offsets give, and
// nothing outside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "game/effect/EfxElements.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "support/DrawnBoxes.h"
#include "support/DrawnThings.h"

namespace {

using testsupport::Around;
using testsupport::At;
using testsupport::Damped;
using testsupport::DefeatShow;
using testsupport::DepthBox;
using testsupport::FlashReach;
using testsupport::GlowReach;
using testsupport::Hide;
using testsupport::IsFlash;
using testsupport::IsGlowSpot;
using testsupport::IsGreenJet;
using testsupport::IsSmoke;
using testsupport::IsStreak;
using testsupport::PixelBox;
using testsupport::Reach;
using testsupport::SameColour;
using testsupport::StreakNear;
using testsupport::StreakReach;
using testsupport::Union;

// A world point seen on the play plane (the eye 512 before it).
At Seen(const float* w) {
  const float k = 512.0f / (512.0f + w[2]);
  return At{w[0] * k, w[1] * k};
}

// A model part's world point, as its show reads it at this frame.
const float* PartAt(DefeatShow& s, int n) {
  SGpNode* node = s.companion->GetNode(n);
  return node != nullptr ? node->GetWorld()->m[3] : nullptr;
}

// Boss type 11, stage 3's last (its record waits for rail key 6300). Its
// show reads part 12, the core, at the frame of each burst: at counts 0, 10
// and 20 a burst (its flash, four streaks and a glow) up to 10 units either
// side of it and 30 below, and three green jets 32 apart along it, thrown
// along the model's turned depth (0.2 turn) at up to 16 units spread, 4
// more and 0.1 of it a frame, damped by 0.9, sprites 1.5 of their parts;
// at 30 the larger burst at part 13, the crown, flying 300 up over counts
// 30 to 37; from 60 to 190 four sparks a frame within 60 units of part 12
// and 20 below it, glows of at most 0.12, 25 frames each.
TEST(DrawnThings, DefeatShowOfBossEleven) {
  DefeatShow s(3, 6300.0f, "Boss09", 60);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  std::printf("[ show     ] found at count %d\n", s.companion->timer.GetCount());
  At core[3];
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(s.StillAt(10 * i));
    ASSERT_NE(PartAt(s, 12), nullptr);
    core[i] = Seen(PartAt(s, 12));
    std::printf("[ show     ] core at %d: %.1f %.1f\n", 10 * i, core[i].x, core[i].y);
  }
  // The burst's place: 10 either side and 30 below the core.
  auto burst = [&](int from, int to) {
    At lo{1e9f, 1e9f}, hi{-1e9f, -1e9f};
    for (int i = from; i <= to; ++i) {
      lo = At{std::fmin(lo.x, core[i].x - 10.0f), std::fmin(lo.y, core[i].y + 30.0f)};
      hi = At{std::fmax(hi.x, core[i].x + 10.0f), std::fmax(hi.y, core[i].y + 30.0f)};
    }
    return std::make_pair(lo, hi);
  };
  ASSERT_TRUE(s.StillAt(22));
  {
    const auto flashes = burst(1, 2), all = burst(0, 2);
    // The jets, 22 frames on at most.
    const float jet = std::hypot(4.0f + 16.0f, 0.2f * 16.0f);
    const float travel = 0.1f * jet * 22.0f + jet * Damped(0.9f, 22);
    At lo{1e9f, 1e9f}, hi{-1e9f, -1e9f};
    for (const At& c : core) {
      lo = At{std::fmin(lo.x, c.x - 32.0f), std::fmin(lo.y, c.y)};
      hi = At{std::fmax(hi.x, c.x + 32.0f), std::fmax(hi.y, c.y)};
    }
    testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 11 bursts: flashes", Hide(IsFlash), Around(flashes.first, flashes.second, FlashReach()), 300, 0,
                0.1},
               {"boss 11 bursts: green jets", Hide(IsGreenJet),
                Around(lo, hi, travel + 1.5f * Reach(EfxKeyList1), travel), 300, 0, 0.03},
               {"boss 11 bursts: streaks", Hide(IsStreak),
                Around(all.first, all.second, StreakReach(22), StreakNear(22)), 200, 0, 0.035},
               {"boss 11 bursts: glows", Hide(IsGlowSpot), Around(all.first, all.second, GlowReach(1.0f)), 200, 0,
                0.5},
           });
  }

  ASSERT_TRUE(s.StillAt(30));
  ASSERT_NE(PartAt(s, 13), nullptr);
  const At crown = Seen(PartAt(s, 13));
  std::printf("[ show     ] crown at 30: %.1f %.1f\n", crown.x, crown.y);
  ASSERT_TRUE(s.StillAt(42));
  {
    // The larger flash: frames at (r / 2 + 1.5) of their parts.
    const float flash = FlashReach() * 2.0f / 1.75f;
    const At top{crown.x, crown.y - 300.0f};
    const auto bursts = burst(0, 2);
    testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 11 crown's flight: flashes", Hide(IsFlash), Around(top, crown, flash), 300, 0, 0.12},
               {"boss 11 crown's flight and bursts: streaks", Hide(IsStreak),
                Union(Around(top, crown, StreakReach(12), StreakNear(12)),
                      Around(bursts.first, bursts.second, StreakReach(42), StreakNear(42))),
                200, 0, 0.08},
               {"boss 11 crown's flight and bursts: glows", Hide(IsGlowSpot),
                Union(Around(top, crown, GlowReach(1.0f)), Around(bursts.first, bursts.second, GlowReach(1.0f))),
                200, 0, 0.5},
           });
  }

  ASSERT_TRUE(s.StillAt(96));
  const float q0[3] = {PartAt(s, 12)[0], PartAt(s, 12)[1], PartAt(s, 12)[2]};
  ASSERT_TRUE(s.StillAt(120));
  const float q1[3] = {PartAt(s, 12)[0], PartAt(s, 12)[1], PartAt(s, 12)[2]};
  std::printf("[ show     ] core from %.1f %.1f %.1f to %.1f %.1f %.1f\n", q0[0], q0[1], q0[2], q1[0], q1[1], q1[2]);
  ASSERT_TRUE(s.StillAt(121));
  {
    const float r = 60.0f + GlowReach(0.12f);
    PixelBox sparks = DepthBox(std::fmin(q0[0], q1[0]) - r, std::fmin(q0[1], q1[1]) + 20.0f - r,
                               std::fmax(q0[0], q1[0]) + r, std::fmax(q0[1], q1[1]) + 20.0f + r, q0[2], q1[2]);
    sparks.x0 = std::max(sparks.x0, 140), sparks.x1 = std::min(sparks.x1, 500);
    testsupport::ExpectEachChangesThePicture(h, {
                                                    {"boss 11 core's sparks", Hide(IsGlowSpot), sparks, 200, 0, 0.15},
                                                });
  }
}

// Boss type 12, stage 4's first (its record waits for rail key 3941), shot
// down once it has risen into view (its first 300 frames): its
// show is a boss's death explosion at its place. Up to frame 120 smoke
// within 128 k of the place and up to 256 k before it (k = 0.0075 n + 0.1 at
// frame n), drawn back to it, puffs of at most 0.8; flames within 4 k' (k'
// = 0.0658 n + 0.1), of size k', and every 8th frame one of size 24 between
// 32 and 160 units off; every 11th, 27th (and 13th of 27) frame a smaller
// explosion up to 240 across and 200 down from the place.
TEST(DrawnThings, DefeatShowOfBossTwelve) {
  DefeatShow s(4, 3941.0f, "Boss10", 320);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  const At place = Seen(s.boss->GetPosition());
  std::printf("[ show     ] found at count %d, place %.1f %.1f (%.1f)\n", s.companion->timer.GetCount(), place.x,
              place.y, s.boss->GetPosition()[2]);
  ASSERT_TRUE(s.StillAt(60));
  static constexpr float kFrom[4] = {1, 0.75f, 0.5f, 0};
  static constexpr float kSmokeTo[4] = {1, 1, 0.95f, 0.75f};
  static constexpr float kFlameTo[4] = {1, 0.75f, 0.5f, 0.75f};
  const float k = 0.0075f * 61.0f + 0.1f, kf = 0.0658f * 61.0f + 0.1f;
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 12 death: smoke",
              testsupport::HideEfxSprites([](const EfxSprite& e) {
                return e.track.GetList() == EfxKeyList6 && SameColour(e.colour, kFrom) &&
                       SameColour(e.target, kSmokeTo);
              }),
              Around(place, 128.0f * k + 0.8f * Reach(EfxKeyList6), 256.0f * k), 200, 0, 0.012},
             {"boss 12 death: flames",
              testsupport::HideEfxSprites([](const EfxSprite& e) {
                return e.track.GetList() == EfxKeyList6 && SameColour(e.colour, kFrom) &&
                       SameColour(e.target, kFlameTo);
              }),
              Union(Around(place, 4.0f * kf + kf * Reach(EfxKeyList6)),
                    Around(place, 160.0f + 24.0f * Reach(EfxKeyList6))),
              200, 0, 0.5},
         });
}

// Boss type 13, stage 4's second (its record waits for rail key 5671): the
// boss drifts, flies in 120 frames to (0, -80) and there starts the large
// boss explosion, which ends it at its 215th frame. At its 100th frame the
// rising column: puffs within 4 s of its place, of size s (s = 3 f + 1, f =
// (age - 80) / 110), 30 frames each; at its 230th the debris: thrown from
// 10 to 80 units off at 3 units a frame damped by 0.97, up to 8 either way
// in depth, sprites of 8.
TEST(DrawnThings, DefeatShowOfBossThirteen) {
  DefeatShow s(4, 5671.0f, "Boss11", 400);
  ASSERT_NE(s.boss, nullptr);
  testsupport::Headless& h = s.H();
  auto blast = []() -> EfxSequence* {
    for (SObject* o = EfxMan::Instance()->Live(8).HeadObj(); o != nullptr; o = o->GetNext())
      if (static_cast<EfxSequence*>(o)->kind == 6) return static_cast<EfxSequence*>(o);
    return nullptr;
  };
  const At place{0.0f, -80.0f};
  ASSERT_TRUE(s.StillWhen([&] { return blast() != nullptr && blast()->age >= 100; }));
  std::printf("[ show     ] blast at %.1f %.1f %.1f\n", blast()->pos.x, blast()->pos.y, blast()->pos.z);
  EXPECT_NEAR(blast()->pos.x, place.x, 1.0f);
  EXPECT_NEAR(blast()->pos.y, place.y, 1.0f);
  static constexpr float kColumn[4] = {0.6f, 0.4f, 0.4f, 0.1f};
  const float sc = 3.0f * 20.0f / 110.0f + 1.0f;
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 13 explosion: column",
              testsupport::HideEfxSprites([](const EfxSprite& e) {
                return e.track.GetList() == EfxKeyList7 && SameColour(e.colour, kColumn);
              }),
              Around(place, 4.0f * sc + sc * Reach(EfxKeyList7)), 100, 0, 0.12},
         });
  ASSERT_TRUE(s.StillWhen([&] { return blast() != nullptr && blast()->age >= 230; }));
  static constexpr float kDebris[4] = {0.6f, 0.4f, 0.4f, 0.2f};
  const float travel = 3.0f * Damped(0.97f, 14);
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 13 explosion: debris",
              testsupport::HideEfxSprites([](const EfxSprite& e) {
                return e.track.GetList() == EfxKeyList1 && SameColour(e.colour, kDebris);
              }),
              Around(place, 80.0f + travel + 8.0f * Reach(EfxKeyList1), 8.0f * Damped(0.97f, 14)), 100, 0, 0.08},
         });
}

// A puff `n` frames old, rising a unit a frame and 0.2 more each frame,
// drifting half a unit sideways at most; towards the eye 2 a frame and 0.3
// more each frame.
float PuffRise(int n) { return float(n) + 0.1f * float(n * (n + 1)) + 0.5f * float(n); }
float PuffNear(int n) { return 2.0f * float(n) + 0.15f * float(n * (n + 1)); }

// The puffs of sources standing from a to b (a above b), of parts reaching
// `r`, up to `n` frames old: drifting sideways and rising as above, standing
// between the play plane and PuffNear(n) towards the eye.
PixelBox Puffs(At a, At b, float r, int n) {
  return testsupport::Clip(DepthBox(std::fmin(a.x, b.x) - r - 0.5f * float(n), a.y - r - PuffRise(n) + 0.5f * float(n),
                                    std::fmax(a.x, b.x) + r + 0.5f * float(n), b.y + r, 0.0f, -PuffNear(n)));
}

// A burst's streaks of size `size` (list 1) `n` frames on: up to 3 size of
// their parts, flying 0.1 of up to 4 units a frame and the 4 more damped by
// 0.9.
float SmallStreakReach(float size, int n) {
  return 3.0f * size * Reach(EfxKeyList1) + 0.4f * float(n) + 4.0f * Damped(0.9f, n);
}

// Boss type 14, stage 4's last (its record waits for rail key 8868), shot
// down in its first attack (the fight 200 frames on). Its show reads the
// points of its model's nodes. Count 0: a burst of size 1.25 (flash, four
// streaks and a glow) and a glow of 1 at node 30's point 20 lower (the
// glows, 24 times their dot, reach past the whole play field: no row). Counts
// 230 to 237: a burst glides from node 14's point 20 left to 300 left and
// 100 up of it, each frame leaving a smoke source of size 1.25 for 10
// frames (a puff every other frame, of up to 1.5 times the size); counts
// 250 to 257 the same from node 8's point 20 right, to the right. Counts
// 300 to 307: smoke sources of 20 frames at node 3's point from 47 to 300
// units above it (300 sin((r + 0.1) pi/2)); at 310 a green puff source of
// size 1 for 60 frames at node 5's point 10 lower (puffs up to 4 either
// side and 4 to 12 up of it, of up to 1.75); on even counts 320 to 340
// glows of at most 0.05 within 2 units of node 5's point.
TEST(DrawnThings, DefeatShowOfBossFourteen) {
  DefeatShow s(4, 8868.0f, "Boss12", 200);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  std::printf("[ show     ] found at count %d\n", s.companion->timer.GetCount());
  ASSERT_EQ(s.companion->timer.GetCount(), 0);
  // Node 30's point as the show read it at count 0: the world that frame
  // drew, the wreck's offset still sin 0 = 0.
  ASSERT_TRUE(s.StillAt(1));
  ASSERT_NE(PartAt(s, 30), nullptr);
  const At n30 = Seen(PartAt(s, 30));
  const At first{n30.x, n30.y + 20.0f};
  std::printf("[ show     ] node 30 at %.1f %.1f\n", n30.x, n30.y);
  ASSERT_TRUE(s.StillAt(10));
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 14 count 10: flash", Hide(IsFlash), Around(first, 1.25f * FlashReach()), 300, 0, 0.06},
             {"boss 14 count 10: streaks", Hide(IsStreak),
              Around(first, SmallStreakReach(1.25f, 10), StreakNear(10)), 200, 0, 0.03},
         });

  const float smoke = 1.5f * 1.25f * Reach(EfxKeyList4);
  ASSERT_TRUE(s.StillAt(230));
  ASSERT_NE(PartAt(s, 14), nullptr);
  const At left = Seen(PartAt(s, 14));
  const At leftFrom{left.x - 20.0f, left.y}, leftTo{left.x - 320.0f, left.y - 100.0f};
  std::printf("[ show     ] node 14 at %.1f %.1f\n", left.x, left.y);
  ASSERT_TRUE(s.StillAt(240));
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 14 count 240: smoke of the left part's flight", Hide(IsSmoke),
              Puffs(leftTo, leftFrom, smoke, 10), 300, 0, 0.12},
         });

  ASSERT_TRUE(s.StillAt(300));
  ASSERT_NE(PartAt(s, 3), nullptr);
  const At core = Seen(PartAt(s, 3));
  ASSERT_TRUE(s.StillAt(310));
  ASSERT_NE(PartAt(s, 5), nullptr);
  const At n5 = Seen(PartAt(s, 5));
  std::printf("[ show     ] node 3 at %.1f %.1f, node 5 at %.1f %.1f\n", core.x, core.y, n5.x, n5.y);
  ASSERT_TRUE(s.StillAt(330));
  {
    const At top{core.x, core.y - 300.0f}, low{core.x, core.y - 300.0f * std::sin(0.05f * 3.1415927f)};
    testsupport::ExpectEachChangesThePicture(
        h, {
               {"boss 14 count 330: smoke of the last blast", Hide(IsSmoke),
                Puffs(top, low, smoke, 30), 300, 0, 0.13},
               {"boss 14 count 330: green puffs", Hide(IsGreenJet),
                Puffs(At{n5.x - 4.0f, n5.y - 2.0f}, At{n5.x + 4.0f, n5.y + 6.0f}, 1.75f * Reach(EfxKeyList1), 20), 200,
                0, 0.04},
               {"boss 14 count 330: small glows", testsupport::HideEfxSprites([](const EfxSprite& e) {
                  return IsGlowSpot(e) && e.Sprite()->scaleX <= 24.0f * 0.05f + 1e-3f;
                }),
                Around(n5, 2.0f + GlowReach(0.05f)), 1, 0, 0.05},
           });
  }
}

}  // namespace
