// What the bosses' defeat shows draw reaches the screen where their numbers
// put it: each boss on its stage as it plays, defeated once, its show run
// to still moments; at each, every effect of the show then alive is taken
// away in turn and must change a share of the box that the boss's place,
// its model's parts and the show's offsets give, and nothing outside it.
#include <gtest/gtest.h>

#include <cmath>

#include "game/effect/EfxTables.h"
#include "game/enemy/EnemyBase.h"
#include "support/DrawnBoxes.h"
#include "support/DrawnThings.h"

namespace {

using testsupport::Around;
using testsupport::At;
using testsupport::DrawnThing;
using testsupport::FlashReach;
using testsupport::GlowReach;
using testsupport::Hide;
using testsupport::IsFlash;
using testsupport::IsGlowSpot;
using testsupport::IsGreenJet;
using testsupport::IsSmoke;
using testsupport::IsStreak;
using testsupport::IsWhiteJet;
using testsupport::PixelBox;
using testsupport::Reach;
using testsupport::StreakNear;
using testsupport::StreakReach;
using testsupport::Union;
// A boss on its stage as it plays, defeated once, its show held still at
// moments of its companion's timer.
using Show = testsupport::DefeatShow;

constexpr float kPi = 3.14159265f;

// A smoke column's puffs, (r + 0.5) x 1.25 of their flame, `n` frames old:
// moving by (r - 0.5, -1, -2) a frame (less as the column fades) and gaining
// (0, -0.2, -0.3) a frame.
float SmokeReach(int n) { return 1.875f * Reach(EfxKeyList4) + float(n) + 0.1f * float(n * (n + 1)); }
float SmokeNear(int n) { return 2.0f * float(n) + 0.15f * float(n * (n + 1)); }

// A model node's screen point: its place in the model (x, y) about the
// boss's place p, turned 0.1 turn about x with the model (y x cos 36
// degrees, depth y x sin 36 degrees), projected to the play plane.
At Node(const float* p, float x, float y) {
  const float c = std::cos(0.2f * kPi), s = std::sin(0.2f * kPi);
  const float k = 512.0f / (512.0f + p[2] + y * s);
  return At{(p[0] + x) * k, (p[1] + y * c) * k};
}

// Boss type 16, stage 5's last (its record waits for rail key 1756). Its
// stand-in model puts the parts its show blows off at (90, -30) (node 17),
// (-90, -30) (node 23) and (0, 70) (node 5) from its root, node 15 at
// (0, -40) and node 12, the heart, at the root.
//
// Count 6: the first part's flight, from node 17's point 20 units right
// towards 300 right and 50 down (x along sin, y along 1 - cos of the
// window's 7 steps), a burst and a smoke column of 10 frames at each step;
// the flight leaves the play field on the right, where the view ends.
// Count 28: the part's fire from node 17's point 5 down: its burst (18
// frames old), its glow (220 frames), nine green rays and seven white
// sparks, jets of 220 frames each thrown a quarter turn down from the eye
// at up to 36 units and 0.1 of it a frame; and from 10 to 40, every 4th
// count, a glow of 0.4 up to 50 units off node 17's point (5 left, 10 down).
TEST(DrawnThings, DefeatShowOfBossSixteen) {
  Show s(5, 1756.0f, "Boss14", 60);
  ASSERT_NE(s.boss, nullptr);
  ASSERT_NE(s.companion, nullptr);
  testsupport::Headless& h = s.f.W().H();
  // The model's shake moves the parts by up to 10 units.
  constexpr float kShake = 10.0f;
  ASSERT_TRUE(s.StillAt(6));
  const At part = Node(s.boss->GetPosition(), 90.0f, -30.0f);
  const At from{part.x + 20.0f, part.y};
  const float r5 = 5.0f / 7.0f;
  const At to{from.x + 300.0f * std::sin(r5 * kPi / 2.0f), from.y + 50.0f * (1.0f - std::cos(r5 * kPi / 2.0f))};
  const float flight = FlashReach() + kShake;
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 16 first flight: flashes", Hide(IsFlash), Around(from, to, flight), 500, 0, 0.08},
             {"boss 16 first flight: streaks", Hide(IsStreak), Around(from, to, StreakReach(6) + kShake, StreakNear(6)),
              200, 0, 0.035},
             {"boss 16 first flight: glows", Hide(IsGlowSpot), Around(from, to, GlowReach(1.0f) + kShake), 200, 0,
              0.5},
             {"boss 16 first flight: smoke", Hide(IsSmoke), Around(from, to, SmokeReach(6) + kShake, SmokeNear(6)),
              200, 0, 0.1},
         });

  ASSERT_TRUE(s.StillAt(28));
  const At fire{part.x, part.y + 5.0f};
  // The jets, 18 frames on: 0.1 x 36 a frame and 36 more damped by their
  // damping (0.8 the rays, 0.9 the sparks), their pieces 1.5 x 1.25 and
  // 2 x 18 of their parts.
  const float rays = 3.6f * 18.0f + 36.0f * testsupport::Damped(0.8f, 18) + 1.875f * Reach(EfxKeyList1);
  const float sparks = 3.6f * 18.0f + 36.0f * testsupport::Damped(0.9f, 18) + 36.0f * Reach(EfxKeyList5);
  const PixelBox glows = Union(Around(fire, GlowReach(1.0f) + kShake),
                               Around(At{part.x - 5.0f, part.y + 10.0f}, 50.0f + GlowReach(0.4f) + kShake));
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 16 first fire: flashes", Hide(IsFlash), Around(fire, FlashReach() + kShake), 300, 0, 0.05},
             {"boss 16 first fire: rays", Hide(IsGreenJet), Around(fire, rays + kShake, rays), 300, 0, 0.05},
             {"boss 16 first fire: sparks", Hide(IsWhiteJet), Around(fire, sparks + kShake, sparks), 300, 0, 0.03},
             {"boss 16 first fire: glows", Hide(IsGlowSpot), glows, 300, 0, 0.5},
             {"boss 16 first fire and flight: streaks", Hide(IsStreak),
              Union(Around(fire, StreakReach(18) + kShake, StreakNear(18)),
                    Around(from, to, StreakReach(28) + kShake, StreakNear(28))),
              200, 0, 0.07},
         });
}

}  // namespace
