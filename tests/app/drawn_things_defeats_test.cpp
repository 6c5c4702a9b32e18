// What the bosses' defeat shows draw reaches the screen where their numbers
// put it: each boss on its stage as it plays, defeated once, its show run
// to still moments; at each, every effect of the show then alive is taken
// away in turn and must change a share of the box that the boss's place,
// its model's parts and the show's offsets give, and nothing outside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxTables.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "game/player/Player.h"
#include "support/DrawnBoxes.h"
#include "support/DrawnThings.h"
#include "support/StageBossFight.h"

namespace {

using testsupport::DepthBox;
using testsupport::DrawnThing;
using testsupport::PixelBox;
using testsupport::Reach;
using testsupport::SameColour;
using testsupport::Union;

constexpr float kPi = 3.14159265f;

// ------------------------------------------------------------ the looks
// Effect sprites are told apart by their animation and spawn colour.

constexpr float kWhite[4] = {1, 1, 1, 1};
constexpr float kGreen[4] = {0, 1, 0, 1};
constexpr float kClearWhite[4] = {1, 1, 1, 0};
constexpr float kClearGreen[4] = {0, 1, 0, 0};
constexpr float kGlow[4] = {0.05f, 1, 0.1f, 0.05f};

// The five animated frames of a burst's flash.
bool IsFlash(const EfxSprite& s) {
  for (int j = 0; j < 5; ++j)
    if (s.track.GetList() == EfxKeyListTable(j)) return SameColour(s.colour, kWhite);
  return false;
}
// The green streaks of the small bursts (and of the larger ones).
bool IsStreak(const EfxSprite& s) {
  return (s.track.GetList() == EfxKeyList1 || s.track.GetList() == EfxKeyList2) && SameColour(s.colour, kGreen);
}
// The green glow spots.
bool IsGlowSpot(const EfxSprite& s) { return s.track.GetList() == EfxKeyList7 && SameColour(s.colour, kGlow); }
// The rising smoke of a smoke column.
bool IsSmoke(const EfxSprite& s) { return s.track.GetList() == EfxKeyList4 && SameColour(s.colour, kClearWhite); }
// The white and the green jets.
bool IsWhiteJet(const EfxSprite& s) { return s.track.GetList() == EfxKeyList5 && SameColour(s.colour, kClearWhite); }
bool IsGreenJet(const EfxSprite& s) { return s.track.GetList() == EfxKeyList1 && SameColour(s.colour, kClearGreen); }

// ------------------------------------------------------------ the places

// A place on the play plane.
struct At {
  float x, y;
};

// The box round the places from a to b that a sprite reaching `r` units
// from its place covers, standing between the play plane and `near` units
// towards the eye.
// The box is cut to the play field (pixels 140 to 500 across): the view
// shows nothing beyond it.
PixelBox Around(At a, At b, float r, float near = 0.0f) {
  PixelBox box = DepthBox(std::fmin(a.x, b.x) - r, std::fmin(a.y, b.y) - r, std::fmax(a.x, b.x) + r,
                          std::fmax(a.y, b.y) + r, 0.0f, -near);
  box.x0 = std::max(box.x0, 140), box.x1 = std::min(box.x1, 500);
  return box;
}
PixelBox Around(At a, float r, float near = 0.0f) { return Around(a, a, r, near); }

// How far a burst's pieces reach `n` frames after it came, for size 1: the
// flash's frames at (r / 2 + 1.25) of their parts; its four streaks at
// (r / 2 + 2.5) of theirs, flying 0.1 of up to 4 units a frame and the 4
// units more damped by 0.9; the glow spot 24 times its dot.
float FlashReach() {
  float r = 0.0f;
  for (int j = 0; j < 5; ++j) r = std::fmax(r, Reach(EfxKeyListTable(j)));
  return 1.75f * r;
}
float StreakReach(int n) { return 3.0f * Reach(EfxKeyList2) + 0.4f * float(n) + 4.0f * testsupport::Damped(0.9f, n); }
float StreakNear(int n) { return 0.1f * float(n) + testsupport::Damped(0.9f, n); }
float GlowReach(float size) { return 24.0f * size * Reach(EfxKeyList7); }
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

// ------------------------------------------------------------ the defeat

// A boss on its stage as it plays, defeated once its fight has begun; its
// show companion, made by the defeat, runs the show on its timer.
struct Show {
  testsupport::StageBossFight f;
  EnemyBase* boss = nullptr;
  BossPartsObject* companion = nullptr;

  Show(int stage, float key, const char* name, int fight) : f(stage, true) {
    boss = f.Start(key, key - 2.0f, name);
    if (boss == nullptr) return;
    f.Step(fight);
    boss->hitPoints = 0;
    boss->SendEvent(kHitEventDefeated, 0);
    for (int k = 0; k < 10 && companion == nullptr; ++k) {
      f.Step();
      for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
        if (auto* p = dynamic_cast<BossPartsObject*>(c)) companion = p;
    }
  }
  // Runs until the show's timer has counted to `count` (the frame's windows
  // then run with it next), and holds the game still.
  bool StillAt(int count) {
    f.W().G()->SetPause(false);
    for (int k = 0; k < 2000 && companion->timer.GetCount() < count; ++k) f.Step();
    // The ship's shield after a hit turns on its own clock, paused or not.
    g_Player.invulnerability = 0;
    f.W().G()->SetPause(true);
    f.Step();
    return companion->timer.GetCount() == count;
  }
};

std::function<void()> Hide(bool (*which)(const EfxSprite&)) { return testsupport::HideEfxSprites(which); }

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
