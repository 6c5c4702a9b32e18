// What the enemies and bosses draw reaches the screen where they stand: at
// still moments of stage 1 as it plays, each drawn thing is taken away in
// turn and must change the picture inside the box its numbers give, and
// nowhere else. A wave of sprite enemies with their bullets and the
// explosion of one of them; the wheeled boss with its bullets and gauge in
// its first phase, then its wreck with the explosions of its defeat.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/boss03/EnemyType3.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"
#include "support/DrawnBoxes.h"
#include "support/DrawnThings.h"
#include "support/PlayWorld.h"
#include "support/StageBossFight.h"

namespace {

using testsupport::Damped;
using testsupport::DepthBox;
using testsupport::DrawnThing;
using testsupport::Extent;
using testsupport::Extents;
using testsupport::kNothing;
using testsupport::PixelBox;
using testsupport::Reach;
using testsupport::SameColour;
using testsupport::Union;

// The explosions of the enemies' defeats: rings of two sprites about the
// place (the first a part of its ring animation, sinking 1 a step towards
// the eye; the second, the riser, rising 0.5 a step and 2 more damped by
// 0.9, sinking 1 and 1 more damped by 0.9), five sparks flying off at up to
// `spark` by a tenth of it a step and all of it more damped by 0.93, and a
// flash (its part `flash` times, unturned). Each sprite keeps its colour.
struct Explosion {
  float ringRadius;  // the most: (spread + base) x scale
  const SGpKeyList* const* ringKeys;
  float ringSize, riserSize, spark, flash;
  float ringColour[4], riserColour[4], flashColour[4];
};
// Small (burst kind 1): rings at (8u + 16) x 0.75, sparks at (u + 1) x 3.
const Explosion kSmall{24.0f * 0.75f, &ExplRingKeysA, 1.3125f, 1.875f, 6.0f, 10.0f,
                       {0.1f, 1, 0.1f, 1},    {0, 0.5f, 0, 1},       {0.5f, 1, 0.25f, 0.75f}};
// The second large one (a cannon's end): rings at (12u + 20) x 1.25,
// sparks at 3.75u + 3.
const Explosion kLarge2{32.0f * 1.25f, &ExplRingKeysC, 2.1875f, 3.125f, 6.75f, 20.0f,
                        {1, 1, 1, 1},          {0, 0.1f, 0, 1},       {1, 0.95f, 0.75f, 0.75f}};
constexpr float kSparkColour[4] = {0.9f, 0.9f, 0.9f, 0.9f};

// Where the rings and sparks of an explosion at (x, y) on the play plane
// can stand `steps` steps after it came.
PixelBox ExplosionBox(const Explosion& e, float x, float y, int steps) {
  const float a = e.ringRadius + Reach(*e.ringKeys) * e.ringSize;
  const float b = e.ringRadius + Reach(ExplRingKeysB) * e.riserSize;
  const float rise = 0.5f * float(steps) + 2.0f * Damped(0.9f, steps);
  const float sink = float(steps) + Damped(0.9f, steps);
  const float spark = e.spark * (0.1f * float(steps) + Damped(0.93f, steps)) + Reach(ExplSparkKeys) * 0.4f;
  PixelBox box = DepthBox(x - a, y - a, x + a, y + a, 0.0f, -float(steps));
  box = Union(box, DepthBox(x - b, y - b, x + b, y + b + rise, 0.0f, -sink));
  return Union(box, DepthBox(x - spark, y - spark, x + spark, y + spark));
}

PixelBox FlashBox(const Explosion& e, float x, float y) {
  const Extent f = Extents(ExplFlashKeys);
  return DepthBox(x - f.left * e.flash, y - f.up * e.flash, x + f.right * e.flash, y + f.down * e.flash);
}

// ---------------------------------------------------------------- removals

// The flashes of such explosions, and their rings, risers and sparks, by
// their animations and colours.
std::function<void()> FlashSprites(const Explosion& e) {
  return testsupport::HideEfxSprites([&e](const EfxSprite& s) {
    return s.track.GetList() == ExplFlashKeys && SameColour(s.colour, e.flashColour);
  });
}
std::function<void()> ExplosionSprites(const Explosion& e) {
  return testsupport::HideEfxSprites([&e](const EfxSprite& s) {
    const SGpKeyList* k = s.track.GetList();
    return (k == *e.ringKeys && SameColour(s.colour, e.ringColour)) ||
           (k == ExplRingKeysB && SameColour(s.colour, e.riserColour)) ||
           (k == ExplSparkKeys && SameColour(s.colour, kSparkColour));
  });
}

// Every enemy bullet batch of the manager.
std::function<bool(int, SGpObj*)> BulletBatches() {
  return [](int, SGpObj* p) {
    for (int b = 0; b < EShotMan::kBatches; ++b)
      if (p == &g_EShotMan.Batch(b)) return true;
    return false;
  };
}

// The box of every live enemy bullet: one of kinds 0 to 9 is its kind's
// width and height about its place; a longer one (kinds 10 to 16) reaches
// 0.125 of its height ahead of its place, 0.875 behind and half its width
// aside, turned along its flight. Bullets fly on the play plane.
PixelBox BulletsBox(int* count) {
  PixelBox box = kNothing;
  *count = 0;
  EShotMan::WalkShots([&](EShot* s) {
    const float w = EShotMan::KindWidth(s->kind), h = EShotMan::KindHeight(s->kind);
    const float rx = s->kind < 10 ? w * 0.5f : std::hypot(0.875f * h, 0.5f * w);
    const float ry = s->kind < 10 ? h * 0.5f : rx;
    box = Union(box, DepthBox(s->position[0] - rx, s->position[1] - ry, s->position[0] + rx, s->position[1] + ry));
    ++*count;
  });
  return box;
}

// ------------------------------------------------------------------- tests

// Stage 1 as it plays: its first wave, a V of five drones (sprite enemies,
// type 0), comes 60 rail keys in, rows of one, two and two 12 keys apart,
// each from y -340 straight down at 3 units a frame and firing an aimed fan
// of three 50 frames after it came. 76 frames after the first came, the
// leader (at y -340 + 3 x 76 = -112) is defeated; 4 frames later the game
// stands still: the fans of the leader and of the second row fly, and the
// leader's explosion (its burst kind 1, the small one) is 4 steps old.
TEST(DrawnThings, EnemiesTheirBulletsAndAnExplosionInStageOne) {
  testsupport::PlayOptions o;
  o.nullDevice = false;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  // The rail's 60 keys before the wave are taken as travelled.
  ASSERT_NE(g_EnemySet.records, nullptr);
  const EnemySpawnRecord& first = g_EnemySet.records[g_EnemySet.index];
  ASSERT_EQ(first.Op(), EnemySet::OP_SPAWN);
  ASSERT_EQ(first.delay, 60.0f);
  g_EnemySet.elapsed = first.delay;
  int waited = 0;
  while (EnemyDrawList.empty() && waited++ < 10) w.Step();
  ASSERT_EQ(EnemyDrawList.size(), 1u);
  EObjBase* leader = EnemyDrawList[0];
  ASSERT_EQ(leader->GetName(), "Drone");
  ASSERT_EQ(leader->param->burstKind, 1);
  w.Step(76);
  ASSERT_EQ(EnemyDrawList.size(), 5u);
  const float at[2] = {leader->GetPosition()[0], leader->GetPosition()[1]};
  EXPECT_NEAR(at[1], -112.0f, 3.0f);
  leader->SendEvent(kHitEventDefeated, 0);
  constexpr int kSteps = 4;
  w.Step(kSteps);
  w.G()->SetPause(true);
  w.Step();

  // The drone of the third row on the right (x 120): its frames stand about
  // their pivots at the record's scale (word 11), unturned, on the plane.
  EObjBase* drone = nullptr;
  for (EObjBase* e : EnemyDrawList)
    if (e->GetPosition()[0] > 100.0f) drone = e;
  ASSERT_NE(drone, nullptr);
  float scale;
  std::memcpy(&scale, &drone->param->typeWord, 4);
  const Extent body = Extents(EnemySprKeyTable[drone->param->extraIndex]);
  const float* p = drone->GetPosition();
  const PixelBox droneBox = DepthBox(p[0] - body.left * scale, p[1] - body.up * scale, p[0] + body.right * scale,
                                    p[1] + body.down * scale, p[2], p[2]);
  int bullets = 0;
  const PixelBox bulletsBox = BulletsBox(&bullets);
  EXPECT_GE(bullets, 9);

  // Bullets draw over everything here (key 5), the explosion (layers 6 and
  // 17) over the enemies (layer 18).
  const std::vector<DrawnThing> things = {
      {"enemy bullets", testsupport::DropPackets(w.H(), BulletBatches()), bulletsBox, 200, 0, 0.1},
      {"defeated enemy's flash", FlashSprites(kSmall), FlashBox(kSmall, at[0], at[1]), 500, 0, 0.05},
      {"defeated enemy's explosion", ExplosionSprites(kSmall),
       ExplosionBox(kSmall, at[0], at[1], kSteps), 200, 0, 0.05},
      {"enemy's body", testsupport::KillProcess(drone), droneBox, 500, 0, 0.05},
  };
  // A killed enemy is drawn until it is disposed of, two state steps later.
  testsupport::ExpectEachChangesThePicture(w.H(), things, 3);
}

// Runs until the boss's script is in `state`; false after `limit` frames.
bool RunTo(testsupport::StageBossFight& f, EnemyType3* b, int32_t state, int limit) {
  for (int i = 0; i < limit && b->Script().GetState() != state; ++i) f.Step();
  return b->Script().GetState() == state;
}

// Boss type 3 of stage 1 (its record waits for rail key 7400): a model of
// 50462 / 65536 of its size at depth 2568.
//
// In its first phase, 60 frames into its fans from the middle cannon: its
// bullets and its hit-point gauge (a bar 350 wide for the full bar from x
// -175, y -270 to -264 on the fixed screen layer).
//
// Its defeat in the third phase, after it has risen past y -730 and stood
// 90 frames with its core bare (the last phase change's explosions over):
// the two cannons left go (each the second large explosion at its place on
// the play plane, closed by a ring easing out from 31.25 to 150 over 25
// steps), and its companion starts the death sequence at (0, -100): smoke
// puffs every 2nd step up to (0.0075 n + 0.1) x 128 from it and as much
// x 2 nearer the eye (sizes up to 0.8), a flame every 4th. 8 frames after
// the defeat the sequence has had 7 steps (its first comes in the frame
// after the companion's), before its first large flame at step 8.
TEST(DrawnThings, ABossItsBulletsGaugeWreckAndDefeat) {
  testsupport::StageBossFight f(1, true);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  Game* g = f.W().G();
  testsupport::Headless& h = f.W().H();
  ASSERT_TRUE(RunTo(f, b, EnemyType3Behavior::FANS, 400));
  f.Step(60);
  g->SetPause(true);
  f.Step();
  int bullets = 0;
  const PixelBox bulletsBox = BulletsBox(&bullets);
  EXPECT_GE(bullets, 20);
  const float full = float(b->hitPoints) / float(b->param->hitPoints) * 350.0f;
  EXPECT_EQ(full, 350.0f);
  const SGpObj* gauge = &b->GaugeBar();
  testsupport::ExpectEachChangesThePicture(
      h, {
             {"boss's bullets", testsupport::DropPackets(h, BulletBatches()), bulletsBox, 500, 0, 0.1},
             {"boss's gauge", testsupport::DropPackets(h, [gauge](int, SGpObj* p) { return p == gauge; }),
              DepthBox(-175.0f, -270.0f, -175.0f + full, -264.0f), 500, 0, 0.4},
         });
  g->SetPause(false);

  // The phases end as when its hit points run out.
  b->hitPoints = 0;
  b->SendEvent(kHitEventDefeated, 0);
  ASSERT_TRUE(RunTo(f, b, EnemyType3Behavior::LASER, 400));
  b->hitPoints = 0;
  b->SendEvent(kHitEventDefeated, 0);
  ASSERT_TRUE(RunTo(f, b, EnemyType3Behavior::CORE, 10));
  f.Step(90);
  // The cannons left, their places projected to the play plane.
  float cannonAt[2][2];
  for (int i = 0; i < 2; ++i) {
    B001Cannon& cannon = b->Script().cannons[3 + i];
    ASSERT_EQ(cannon.GetState(), SProc::STATE_RUNNING) << i;
    const float* c = cannon.GetPosition();
    cannonAt[i][0] = c[0] * 512.0f / (c[2] + 512.0f), cannonAt[i][1] = c[1] * 512.0f / (c[2] + 512.0f);
  }
  const float bossAt[3] = {b->GetPosition()[0], b->GetPosition()[1], b->GetPosition()[2]};
  EXPECT_GT(bossAt[1], -730.0f);
  b->hitPoints = 0;
  b->SendEvent(kHitEventDefeated, 0);
  constexpr int kSteps = 8;
  f.Step(kSteps);
  g->SetPause(true);
  f.Step();

  // The cannons' explosions: their flashes, rings, risers and sparks, and
  // the closing rings (free rings of the effect manager, drawn at key 8).
  PixelBox cannonFlashes = kNothing, cannonBursts = kNothing, cannonRings = kNothing;
  const float ring = 31.25f + 118.75f * std::sin(3.14159265f * 0.5f * float(kSteps) / 25.0f);
  for (const auto& c : cannonAt) {
    cannonFlashes = Union(cannonFlashes, FlashBox(kLarge2, c[0], c[1]));
    cannonBursts = Union(cannonBursts, ExplosionBox(kLarge2, c[0], c[1], kSteps));
    cannonRings = Union(cannonRings, DepthBox(c[0] - ring, c[1] - ring, c[0] + ring, c[1] + ring));
  }
  const auto rings = [](int, SGpObj* p) {
    for (SObject* o = EfxMan::Instance()->Live(3).HeadObj(); o != nullptr; o = o->GetNext())
      if (static_cast<EfxRing*>(o)->prim == p) return true;
    return false;
  };
  // The death sequence's smoke and flames.
  const float k = 0.0075f * float(kSteps - 1) + 0.1f;
  const float smoke = k * 128.0f + Reach(EfxKeyList6) * 0.8f;
  const auto death = [](const EfxSprite& s) {
    static constexpr float kSmoke[4] = {1.0f, 0.75f, 0.5f, 0.0f};
    return s.track.GetList() == EfxKeyList6 && SameColour(s.colour, kSmoke);
  };
  // The wreck, its cannons gone: the stand-in model's hull is a plate of
  // half size 900 facing the eye about its root, and its animation puts the
  // wheels, plates of half size 180 turning about x, where its position keys
  // say as the file gives them: at x -1100 and 1100, depths -600 to 600.
  const float m = 50462.0f / 65536.0f;
  const float* w = bossAt;
  const PixelBox wreck =
      Union(DepthBox(w[0] - 900.0f * m, w[1] - 900.0f * m, w[0] + 900.0f * m, w[1] + 900.0f * m, w[2], w[2]),
            DepthBox(w[0] - 1280.0f * m, w[1] - 180.0f * m, w[0] + 1280.0f * m, w[1] + 180.0f * m,
                    w[2] - 780.0f * m, w[2] + 780.0f * m));
  testsupport::ExpectEachChangesThePicture(
      h,
      {
          {"boss's cannons' flashes", FlashSprites(kLarge2), cannonFlashes, 500, 0, 0.15},
          {"boss's cannons' explosions", ExplosionSprites(kLarge2), cannonBursts, 500, 0, 0.1},
          {"boss's cannons' closing rings", testsupport::DropPackets(h, rings), cannonRings, 200, 0, 0.2},
          {"boss's death sequence", testsupport::HideEfxSprites(death),
           DepthBox(-smoke, -100.0f - smoke, smoke, -100.0f + smoke, 0.0f, -k * 256.0f), 50, 0, 0.04},
          {"boss's wreck", testsupport::KillProcess(b), wreck, 2000, 0, 0.4},
      },
      3);
}

}  // namespace
