// What the bosses' defeat shows draw reaches the screen where their numbers
// put it: each boss on its stage as it plays, defeated once, its show run
// to still moments; at each, every effect of the show then alive is taken
// away in turn and must change a share of the box that the boss's place,
// its model's parts and the show's offsets give, and nothing outside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/boss03/EnemyType3.h"
#include "game/enemy/boss06/EnemyType6.h"
#include "game/enemy/boss07/BossPartsObjectT7.h"
#include "game/player/Player.h"
#include "support/DrawnBoxes.h"
#include "support/DrawnThings.h"

namespace {

using testsupport::Around;
using testsupport::At;
using testsupport::Clip;
using testsupport::DepthBox;
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
using testsupport::SameColour;
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
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
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

// ------------------------------------------------------------ bosses 3, 6 and 7

// The play field's pixels: the view shows nothing beyond them.
constexpr PixelBox kField{140, 0, 500, 480};

// The soft dots of a boss's death sequence (smoke, flames and glows), all
// spawned orange and clear; `which` picks them by their size.
std::function<void()> DeathDots(bool (*which)(float size)) {
  return testsupport::HideEfxSprites([which](const EfxSprite& s) {
    static constexpr float kOrange[4] = {1, 0.75f, 0.5f, 0};
    return s.track.GetList() == EfxKeyList6 && SameColour(s.colour, kOrange) && which(s.Sprite()->scaleX);
  });
}
// The grey sparks of the larger explosions.
bool IsGreySpark(const EfxSprite& s) {
  static constexpr float kGrey[4] = {0.2f, 0.2f, 0.2f, 1};
  return s.track.GetList() == EfxKeyList5 && SameColour(s.colour, kGrey);
}
// The rings of effect manager pool `pool` (3: those that stand or follow a
// place, 4: those that end with a process), or its discs (pool 5), alive
// when they are taken away.
template <class T>
std::function<void()> Round(testsupport::Headless& h, int pool) {
  return [&h, pool] {
    std::vector<const SGpObj*> prims;
    for (SObject* o = EfxMan::Instance()->Live(pool).HeadObj(); o != nullptr; o = o->GetNext())
      prims.push_back(static_cast<T*>(o)->prim);
    EXPECT_FALSE(prims.empty()) << "nothing in effect pool " << pool;
    h.DropPackets([prims](int, SGpObj* p) { return std::find(prims.begin(), prims.end(), p) != prims.end(); });
  };
}
std::function<void()> Rings(testsupport::Headless& h) { return Round<EfxRing>(h, 3); }
std::function<void()> Discs(testsupport::Headless& h) { return Round<EfxDisc>(h, 5); }

// A boss's death sequence at step 200, about its place p on the play plane:
// the great glow (48 of its dot, from step 96) and the second (96, from
// step 180) stand at the place, reaching past the field; the two rings from
// step 180 (20 of their 60 steps: the first from 226 out to 994, the second
// from 333 out to 381) fill the field; smoke puffs (0.8 of their dot at
// most) stand up to 128 from it, up to 256 nearer the eye, flames (8 of it
// at most) up to 32 from it. `greatShare`: the share of the field the great
// glow must change.
std::vector<DrawnThing> DeathAtStep200(testsupport::Headless& h, const std::string& boss, At p, double greatShare) {
  const float dot = Reach(EfxKeyList6);
  const float smoke = std::fmax(128.0f + 0.8f * dot, 32.0f + 8.0f * dot);
  const std::string at = boss + " death, step 200: ";
  return {
      {at + "great glow", DeathDots([](float size) { return size == 48.0f; }), Around(p, 48.0f * dot), 500, 0,
       greatShare},
      {at + "second glow", DeathDots([](float size) { return size == 96.0f; }), Around(p, 96.0f * dot), 500, 0, 0.3},
      {at + "rings", Rings(h), kField, 500, 0, 0.3},
      {at + "smoke and flames", DeathDots([](float size) { return size < 24.0f; }), Around(p, smoke, 256.0f), 200, 0,
       0.1},
  };
}

// Boss type 3, stage 1's first (its record waits for rail key 7400), its
// three phases ended as its hit points running out would end them. Its
// companion starts the death sequence at (0, -100) on the play plane, step
// n of which runs with the companion's count n.
//
// Step 200: its glows, rings, smoke and flames (DeathAtStep200).
// Step 296, 6 steps after the finale: the screen-wide flash (from step
// 285); the four rings and flashes of the finale and those of its
// explosions (types 6 and 7 at 1.25, type 5 at 1) on the field; its 128
// sparks and those of its explosions flying off at up to 42 units a step
// damped by 0.9, and 0.75 a step more, up to 12 nearer or farther.
TEST(DrawnThings, DefeatShowOfBossThree) {
  Show s(1, 7400.0f, "Boss01", 1, [](Show& s) {
    auto* b = dynamic_cast<EnemyType3*>(s.boss);
    ASSERT_NE(b, nullptr);
    const auto end = [&](int32_t then, int limit) {
      b->hitPoints = 0;
      b->SendEvent(kHitEventDefeated, 0);
      for (int i = 0; i < limit && b->Script().GetState() != then; ++i) s.f.Step();
      ASSERT_EQ(b->Script().GetState(), then);
    };
    end(EnemyType3Behavior::LASER, 600);
    end(EnemyType3Behavior::CORE, 10);
    b->hitPoints = 0;
    b->SendEvent(kHitEventDefeated, 0);
  });
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  const At p{0.0f, -100.0f};
  ASSERT_TRUE(s.StillAt(200));
  testsupport::ExpectEachChangesThePicture(h, DeathAtStep200(h, "boss 3", p, 0.3));

  ASSERT_TRUE(s.StillAt(296));
  // The finale's pieces have moved 7 times: once in their own step.
  const float sparks = 42.0f * testsupport::Damped(0.9f, 7) + 0.75f * 7.0f + 0.45f * Reach(EfxKeyList5);
  const float sparksNear = 12.0f * testsupport::Damped(0.9f, 7);
  // The rings 6 steps old: the finale's (eased by 1 - cos over 100 steps)
  // within 41; those of types 6 and 7, tilted up to 0.1 turn two ways, out
  // to 640 x sin(6/40 of a quarter turn) and as far nearer or farther.
  const float rings = 640.0f * std::sin(0.15f * kPi / 2.0f);
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 3 death, step 296: screen flash",
              testsupport::HideEfxSprites([](const EfxSprite& e) { return e.track.GetList() == EfxKeyList10; }),
              kField, 500, 0, 0.5},
             {"boss 3 death, step 296: finale's rings", Rings(h),
              Union(Around(p, rings, rings), Around(p, rings, -rings)), 500, 0, 0.035},
             {"boss 3 death, step 296: finale's flashes", Discs(h), kField, 500, 0, 0.6},
             {"boss 3 death, step 296: finale's sparks", Hide(IsGreySpark),
              Union(Around(p, sparks, sparksNear), Around(p, sparks, -sparksNear)), 200, 0, 0.005},
         });
}

// Boss type 8, stage 3's first (its record waits for rail key 2000), shot
// down 600 frames into its fight. Its companion starts the same death
// sequence as boss 3's at (0, -120) on the play plane, turned -0.09 about x;
// at step 200 its glows, rings, smoke and flames stand as boss 3's do
// about that place. Its rings and second glow leave the field near white
// about the place (the rings change 0.58 of the field, boss 3's 0.47), so
// the great glow changes less of it than boss 3's does: about 0.12 of the
// field (a glow cut in half fails).
TEST(DrawnThings, DefeatShowOfBossEight) {
  Show s(3, 2000.0f, "Boss06", 600);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  ASSERT_TRUE(s.StillAt(200));
  testsupport::ExpectEachChangesThePicture(h, DeathAtStep200(h, "boss 8", At{0.0f, -120.0f}, 0.08));
}

// The explosion sequence of the effect manager (pool 8) of kind `kind`.
EfxSequence* Sequence(int32_t kind) {
  for (SObject* o = EfxMan::Instance()->Live(8).HeadObj(); o != nullptr; o = o->GetNext())
    if (static_cast<EfxSequence*>(o)->kind == kind) return static_cast<EfxSequence*>(o);
  return nullptr;
}

// Takes the play field's white away at once.
std::function<void()> Unwhiten(Game* g) {
  return [g] { g->RampValue(Game::kFadeLayerFlash, 1.0f, 0); };
}

// Boss type 6, stage 2's second (its record waits for rail key 7348),
// defeated once its hover has begun. The defeat turns the play field white
// at once, clear again 5 frames on; the body shakes for 76 frames, flies
// back to (0, -150) and, 30 frames after, starts an explosion sequence
// (kind 4) at its place, which ends it.
//
// Frame 2 of the defeat: the white field.
// Age 22 of the sequence: its smoke puffs (from age 10, spread s up to
// 12/130 x 7.9 + 0.1) stand up to 128 s from the place and 256 s nearer the
// eye, at most 0.8 of their dot; its streaks came from 150 to 270 out and as
// far behind the plane, each at most 0.6 of the way in (a twentieth of it a
// step, 12 steps), 4 wide each side; its column (from age 21, s up to 1 +
// 3 x 2/150) stands up to 4 s from the place, s of its dot.
// Age 178, 8 steps after the blast: its ring (32 to 768, eased by a sine
// over 120 steps), tilted 0.1 turn about x, and its two flashes (64 to
// 1024, over 120 and 180 steps), the second untilted.
// Age 185: the blast's white, coming over the field in 10 steps from 180.
TEST(DrawnThings, DefeatShowOfBossSix) {
  // Only the still pictures are drawn.
  auto skip = std::make_unique<testsupport::SkipDrawing>();  // outlives the program
  testsupport::StageBossFight f(2, true);
  skip->Join();
  auto* b = dynamic_cast<EnemyType6*>(f.Start(7348.0f, 7346.0f, "Boss04"));
  ASSERT_NE(b, nullptr);
  for (int i = 0; i < 1000 && b->Script().GetState() != EnemyType6Behavior::STATE_HOVER; ++i) f.Step();
  ASSERT_EQ(b->Script().GetState(), EnemyType6Behavior::STATE_HOVER);
  skip->on = false;
  Game* g = f.W().G();
  testsupport::Headless& h = f.W().H();
  b->hitPoints = 0;
  b->SendEvent(kHitEventDefeated, 0);
  f.Step(2);
  g->SetPause(true);
  f.Step();
  testsupport::ExpectEachChangesThePicture(h, {{"boss 6 defeat: white field", Unwhiten(g), kField, 1000, 0, 0.6}});
  g->SetPause(false);

  EfxSequence* q = nullptr;
  skip->on = true;
  for (int i = 0; i < 400 && q == nullptr; ++i) {
    f.Step();
    q = Sequence(4);
  }
  ASSERT_NE(q, nullptr);
  const float* at = b->GetPosition();
  EXPECT_NEAR(at[0], 0.0f, 0.01f);
  EXPECT_NEAR(at[1], -150.0f, 0.01f);
  EXPECT_NEAR(at[2], 0.0f, 0.01f);
  const auto stillAt = [&](int32_t age) {
    g->SetPause(false);
    skip->on = true;
    for (int i = 0; i < 400 && q->age < age; ++i) f.Step();
    skip->on = false;
    g->SetPause(true);
    f.Step();
    return q->age == age;
  };
  const At p{0.0f, -150.0f};
  const float dot = Reach(EfxKeyList7);
  const auto look = [](const float* colour) {
    return testsupport::HideEfxSprites([colour](const EfxSprite& e) {
      return e.track.GetList() == EfxKeyList7 && SameColour(e.colour, colour);
    });
  };
  static constexpr float kPuff[4] = {0.4f, 0.4f, 0.7f, 0.1f};
  static constexpr float kColumn[4] = {0.4f, 0.4f, 0.6f, 0.1f};

  ASSERT_TRUE(stillAt(22));
  const float spread = 12.0f / 130.0f * 7.9f + 0.1f, column = 1.0f + 3.0f * 2.0f / 150.0f;
  const auto streaks = [](int, SGpObj* o) { return o == &EfxMan::Instance()->StreakPrim(); };
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 6 explosion, age 22: smoke", look(kPuff), Around(p, 128.0f * spread + 0.8f * dot, 256.0f * spread),
              200, 0, 0.011},
             {"boss 6 explosion, age 22: streaks", testsupport::DropPackets(h, streaks),
              Clip(DepthBox(p.x - 274.0f, p.y - 274.0f, p.x + 274.0f, p.y + 274.0f, 60.0f, 270.0f)), 200, 0, 0.0065},
             {"boss 6 explosion, age 22: column", look(kColumn), Around(p, 4.0f * column + column * dot), 50, 0, 0.14},
         });

  ASSERT_TRUE(stillAt(178));
  // The ring's and the first flash's radius at 8/120 of their time, the
  // second flash's at 8/180, each eased by a sine.
  const float ring = 32.0f + 736.0f * std::sin(8.0f / 120.0f * kPi / 2.0f);
  const float flash = 64.0f + 960.0f * std::sin(8.0f / 120.0f * kPi / 2.0f);
  const float tilt = std::sin(0.2f * kPi);
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 6 explosion, age 178: ring", Rings(h),
              Union(Around(p, ring, ring * tilt), Around(p, ring, -ring * tilt)), 200, 0, 0.011},
             {"boss 6 explosion, age 178: flashes", Discs(h),
              Union(Around(p, flash, flash * tilt), Around(p, flash, -flash * tilt)), 500, 0, 0.2},
         });

  ASSERT_TRUE(stillAt(185));
  testsupport::ExpectEachChangesThePicture(h, {{"boss 6 explosion, age 185: white field", Unwhiten(g), kField,
                                                1000, 0, 0.6}});
}

// Boss type 7's stand-in model: a hull of plates (half sizes 42 at its
// root, 24 at (-66, 12) and (66, 12)) and 67 pieces about its root in three
// rings, piece i in ring i mod 3 at 54, 78 or 102 units and i / 67 of a turn
// plus 0.4 turn a ring, plates of half size 14.4, 10.8 and 7.2: nothing of
// it beyond 109.2 of its root. The model is tilted 0.08 turn about x with
// the body at p, its root moved by the wreck's offset o: a place (x, y) of
// the model stands at p + (x, y cos, y sin) in the world.
struct Place3 {
  float x, y, z;
};
Place3 InModel7(const float* p, float x, float y) {
  return Place3{p[0] + x, p[1] + y * std::cos(0.16f * kPi), p[2] + y * std::sin(0.16f * kPi)};
}
Place3 Piece7(const float* p, int n, At o = {0, 0}) {
  const int ring = n % 3;
  const float a = float(n) * 2.0f * kPi / 67.0f + float(ring) * 0.4f;
  const float d = 120.0f * (0.45f + 0.2f * float(ring));
  return InModel7(p, o.x + d * std::cos(a), o.y + d * std::sin(a));
}
At Projected(Place3 w) {
  const float k = 512.0f / (512.0f + w.z);
  return At{w.x * k, w.y * k};
}
// The box of places of the model from (x0, y0) to (x1, y1), widened by r
// every way.
PixelBox InModel7Box(const float* p, float x0, float y0, float x1, float y1, float r) {
  const Place3 a = InModel7(p, x0, y0), b = InModel7(p, x1, y1);
  return Clip(DepthBox(a.x - r, a.y - r, b.x + r, b.y + r, a.z - r, b.z + r));
}

// Boss type 7, stage 2's last (its record waits for rail key 9709),
// defeated 60 frames into its fight, at (0, -150, 0). Its companion plays
// the show on the model, count c from 0 the companion's first frame.
//
// Count 5: the bursts at pieces 26, 18, 35 and 5 of count 0 (5 steps old);
// the sparks from 40 below piece 35 going 50 (1 - cos) right and 300 sin
// down over 20 counts, and from 40 below piece 5 going 80 left and 250 down
// over 25, each count white and green jets (spread 2 to 1, undamped, at
// most 4 + 2 a step, and a tenth of it more, sizes 2.5 and 1.875).
// Count 95: the burst at piece 15 and the glow at piece 12 of count 90; the
// fans of white jets at piece 15 from count 90 (spread 16, damped by 0.9,
// 2.5 of their dot), the wreck sinking 250 sin over 60 counts with 10 of
// jitter either way; the wreck's model.
TEST(DrawnThings, DefeatShowOfBossSeven) {
  Show s(2, 9709.0f, "Boss05", 60);
  ASSERT_TRUE(s.Began());
  testsupport::Headless& h = s.H();
  const float p[3] = {s.boss->GetPosition()[0], s.boss->GetPosition()[1], s.boss->GetPosition()[2]};

  ASSERT_TRUE(s.StillAt(5));
  PixelBox flashes = testsupport::kNothing, streaks = testsupport::kNothing;
  for (int n : {26, 18, 35, 5}) {
    const At q = Projected(Piece7(p, n));
    flashes = Union(flashes, Around(q, FlashReach()));
    streaks = Union(streaks, Around(q, StreakReach(5), StreakNear(5)));
  }
  // The trails' places from count 0 to 4, and how far their jets fly.
  const At a = Projected(Piece7(p, 35)), b = Projected(Piece7(p, 5));
  const float ra = 4.0f / 20.0f * kPi / 2.0f, rb = 4.0f / 25.0f * kPi / 2.0f;
  const At a0{a.x, a.y + 40.0f}, a1{a0.x + 50.0f * (1.0f - std::cos(ra)), a0.y + 300.0f * std::sin(ra)};
  const At b0{b.x, b.y + 40.0f}, b1{b0.x - 80.0f * (1.0f - std::cos(rb)), b0.y + 250.0f * std::sin(rb)};
  const float jet = 6.02f * 5.5f;
  const auto trails = [&](float size) {
    const float r = jet + size;
    return Union(Union(Around(a0, a1, r, jet), Around(a0, a1, r, -jet)),
                 Union(Around(b0, b1, r, jet), Around(b0, b1, r, -jet)));
  };
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss 7 show, count 5: bursts' flashes", Hide(IsFlash), flashes, 500, 0, 0.15},
             {"boss 7 show, count 5: bursts' streaks", Hide(IsStreak), streaks, 200, 0, 0.05},
             {"boss 7 show, count 5: white trail jets", Hide(IsWhiteJet), trails(2.5f * Reach(EfxKeyList5)), 100, 0,
              0.07},
             {"boss 7 show, count 5: green trail jets", Hide(IsGreenJet), trails(1.875f * Reach(EfxKeyList1)), 100, 0,
              0.035},
         });

  ASSERT_TRUE(s.StillAt(95));
  const At p15 = Projected(Piece7(p, 15)), p12 = Projected(Piece7(p, 12));
  // The wreck's offset at the fans' counts (up to 4/60 of its sinking) and
  // at the still frame (4/60).
  const float sunk = 250.0f * std::sin(4.0f / 60.0f * kPi / 2.0f);
  const Place3 f0 = Piece7(p, 15, {-10.0f, -10.0f}), f1 = Piece7(p, 15, {10.0f, sunk + 10.0f});
  const float fan = 20.3f * (testsupport::Damped(0.9f, 5) + 0.5f);
  const float fanReach = fan + 2.5f * Reach(EfxKeyList5);
  PixelBox jets =
      Clip(DepthBox(f0.x - fanReach, f0.y - fanReach, f1.x + fanReach, f1.y + fanReach, f0.z - fan, f1.z + fan));
  // The last of count 10's jets at pieces 26 and 18 (their run steps from
  // count 11 to 70, spread 18 easing to 2 by 1 - cos): those alive, at most
  // 30 steps old, came from step 54 on.
  const float w = 18.0f - 16.0f * (1.0f - std::cos(54.0f / 60.0f * kPi / 2.0f));
  const float late = std::hypot(4.0f + w, 0.15f * w * std::sqrt(2.0f)) * (testsupport::Damped(0.9f, 30) + 3.0f);
  for (int n : {26, 18}) {
    const At q = Projected(Piece7(p, n));
    jets = Union(jets, Union(Around(q, late + 2.5f * Reach(EfxKeyList5), late),
                             Around(q, late + 2.5f * Reach(EfxKeyList5), -late)));
  }
  // The burst at piece 40 of count 25, 70 steps old, still has its streaks.
  const PixelBox streaks95 =
      Union(Around(p15, StreakReach(5), StreakNear(5)),
            Around(Projected(Piece7(p, 40)), StreakReach(70), StreakNear(70)));
  testsupport::ExpectEachChangesThePicture(
      h,
      {
          {"boss 7 show, count 95: burst's flash", Hide(IsFlash), Around(p15, FlashReach()), 300, 0, 0.1},
          {"boss 7 show, count 95: bursts' streaks", Hide(IsStreak), streaks95, 100, 0, 0.08},
          {"boss 7 show, count 95: glow", Hide(IsGlowSpot), Around(p12, GlowReach(1.0f)), 300, 0, 0.5},
          {"boss 7 show, count 95: fans and late jets", Hide(IsWhiteJet), jets, 200, 0, 0.07},
          {"boss 7 show, count 95: the sunk wreck", testsupport::KillProcess(s.boss),
           InModel7Box(p, -10.0f - 109.2f, sunk - 10.0f - 109.2f, 10.0f + 109.2f, sunk + 10.0f + 109.2f, 0.0f), 2000,
           0, 0.3},
      },
      3);
}

}  // namespace
