// The enemy object and its script step, through simple sprite enemies
// spawned from stage records: set-up and collision body, damage and flash,
// defeat by a player shot, grab and release, generator timing, route
// records, depth and the play area, and the far-to-near draw list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/core/Game.h"
#include "platform/crt_rand.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyType0.h"
#include "game/enemy/Flasher.h"
#include "game/player/DashForm.h"
#include "game/stage/MapMng.h"
#include "support/EnemyRig.h"
#include "support/ExpectAll.h"
#include "support/WeaponRig.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxTables.h"

namespace {

using testsupport::EnemyRig;

uint32_t FloatWord(float f) {
  uint32_t w;
  std::memcpy(&w, &f, 4);
  return w;
}

// Parameter 1: a drone of 10 hit points, colour (0.5, 0.6, 0.7), grab flash
// (0.2, 0.3, 0.4), hit offset (2, 3).
EnemyParam& AddDrone(EnemyRig& rig) {
  EnemyParam& p = rig.Param(1, "Drone", 0, 10, 300, 16.0f);
  p.typeWords[0] = FloatWord(0.5f);
  p.typeWords[1] = FloatWord(0.6f);
  p.typeWords[2] = FloatWord(0.7f);
  p.grabFlash[0] = 0.2f, p.grabFlash[1] = 0.3f, p.grabFlash[2] = 0.4f;
  p.hitOffsetX = 2.0f, p.hitOffsetY = 3.0f;
  return p;
}

// Spawns timeline record 0 and runs the frame after which it is running.
EnemyType0* SpawnRunning(EnemyRig& rig) {
  if (!rig.Load()) return nullptr;
  auto* e = dynamic_cast<EnemyType0*>(rig.SpawnNow(0));
  rig.Run();
  return e;
}

// A normal player shot (group 2) of power 10 on the enemy at (40, -100) for
// one frame; the handle tells whether the enemy lives on.
SHandle<EObjBase> ShotOfPower10(EnemyRig& rig, EObjBase* e) {
  float shotPos[4] = {40.0f, -100.0f, 0.0f, 1.0f};
  HitBody shot;
  shot.Register(2, 0, shotPos, 12.0f, nullptr, 10, 0);
  SHandle<EObjBase> h(e);
  rig.Run();
  shot.Detach();
  return h;
}

TEST(EnemyObject, SetUpFromSpawnParameterAndScript) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 10.0f, -300.0f, 20.0f);
  ASSERT_TRUE(rig.Load());
  auto* e = dynamic_cast<EnemyType0*>(rig.SpawnNow(0));
  ASSERT_NE(e, nullptr);
  const HitBody& b = e->body;
  EXPECT_EQ(e->GetName(), "Drone");
  EXPECT_ALL({VAL(e->hitPoints, 10), VAL(e->scoreValue, 300),
              VAL(e->classKind, EObjBase::KIND_SIMPLE), VAL(e->paramKind, 0), VAL(b.group, 7), VAL(b.mask, 0x7Fu),
              VAL(b.radius, 16.0f), VAL(b.radiusSq, 256.0f), VAL(b.aux, 100u), VAL(b.power, intptr_t(0)),
              VAL(static_cast<SProc*>(e) == b.owner, true), VAL(b.position == e->hitPosition, true),
              VAL(e->spawnPosition[3], 0.0f), VAL(e->hitPosition[1], -300.0f), VAL(StageEnemyCount, 1)});
  EXPECT_EQ(HitGroupTable[7].Head(), &e->body);
  // The sprite colour from words 16 to 18, alpha 1.
  EXPECT_ALL({VAL(e->colour[0], 0.5f), VAL(e->colour[1], 0.6f), VAL(e->colour[2], 0.7f), VAL(e->colour[3], 1.0f)});
  ASSERT_EQ(EnemyDrawList.size(), 1u);
  EXPECT_EQ(EnemyDrawList[0], e);
  // The first frame of state 0 puts the body at the hit offset.
  rig.Run(2);
  EXPECT_ALL({VAL(e->hitPosition[0], 12.0f), VAL(e->hitPosition[1], -297.0f), VAL(e->hitPosition[2], 20.0f)});
}

TEST(EnemyObject, DamageFlashesRedForFiveFrames) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  e->SendEvent(kHitEventHit, 3);
  EXPECT_EQ(e->hitPoints, 7);
  EXPECT_EQ(e->flashRunning, 1);
  EXPECT_ALL({VAL(e->colour[0], 1.0f), VAL(e->colour[1], 0.0f), VAL(e->colour[2], 0.0f)});
  // The flash joined in this frame: it counts its frames from the next one
  // and ends on its fifth. A second hit meanwhile starts nothing.
  rig.Run(3);
  e->SendEvent(kHitEventHit, 1);
  EXPECT_EQ(e->GetList(1)->Count(), 1);
  rig.Run(2);
  EXPECT_EQ(e->colour[0], 1.0f);
  rig.Run();
  EXPECT_EQ(e->flashRunning, 0);
  // Restored from the parameter record.
  EXPECT_ALL({VAL(e->colour[0], 0.5f), VAL(e->colour[1], 0.6f), VAL(e->colour[2], 0.7f), VAL(e->hitPoints, 6)});
  // A hit after the flash has ended starts a new one.
  rig.Run();
  e->SendEvent(kHitEventHit, 1);
  EXPECT_EQ(e->flashRunning, 1);
}

TEST(EnemyObject, DefeatedByAPlayerShot) {
  EnemyRig rig;
  EnemyParam& p = AddDrone(rig);
  p.hitOffsetX = p.hitOffsetY = 0.0f;
  rig.Spawn(0.0f, 1, 0, 40.0f, -100.0f);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  rig.Run();  // the body sits at the enemy
  const uint32_t score = rig.weapons.game.record[REC_SCORE];
  // The collision pass defeats it; the same frame's step enters the
  // defeated state: the body leaves its group and the enemy is killed.
  const SHandle<EObjBase> h = ShotOfPower10(rig, e);
  EXPECT_ALL({VAL(e->hitPoints, 0), VAL(e->grabMode, EObjBase::GRAB_DEFEATED), VAL(StageDefeatCount, 1),
              VAL(rig.weapons.game.record[REC_SCORE] - score, 300u), VAL(HitGroupTable[7].Count(), 0),
              VAL(e->GetState() >= SProc::STATE_KILLED, true)});
  EXPECT_EQ(LiveProc(h), nullptr);
  rig.Run(2);
  EXPECT_EQ(rig.Enemies(), 0);
  EXPECT_TRUE(EnemyDrawList.empty());
}

// Hit points from a stage script may start anywhere in 32 bits. Damage
// keeps them in range: one at 0 or below stays there however often it is
// hit (and falls to the next player shot); one at the top stays there under
// a negative damage.
TEST(EnemyObject, HitPointsStayInRangeAndAnEnemyAtZeroOrBelowFalls) {
  struct Case {
    const char* what;
    int32_t hitPoints;
    intptr_t damage;
    int hits;
    int32_t after;  // hit points after the hits
    bool falls;     // to the shot that follows
  };
  const Case cases[] = {
      {"the least hit points", INT32_MIN, 10, 3, INT32_MIN, true},
      // 100 with its top bit flipped: -2147483548, at the least after ten
      // hits of 10, held there by the next five.
      {"100 with its top bit flipped", int32_t(0x80000064u), 10, 15, INT32_MIN, true},
      {"a hit past the least", -5, intptr_t(INT32_MAX) + 1000, 1, INT32_MIN, true},
      {"the most hit points under negative damage", INT32_MAX, -10, 3, INT32_MAX, false},
      {"30 hit points, three hits of 10", 30, 10, 3, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EnemyRig rig;
    EnemyParam& p = AddDrone(rig);
    p.hitPoints = c.hitPoints;
    p.hitOffsetX = p.hitOffsetY = 0.0f;
    rig.Spawn(0.0f, 1, 0, 40.0f, -100.0f);
    EnemyType0* e = SpawnRunning(rig);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->hitPoints, c.hitPoints);
    for (int i = 0; i < c.hits; ++i) e->SendEvent(kHitEventHit, c.damage);
    EXPECT_EQ(e->hitPoints, c.after);
    rig.Run();
    const SHandle<EObjBase> h = ShotOfPower10(rig, e);
    EXPECT_EQ(StageDefeatCount, c.falls ? 1 : 0);
    EXPECT_EQ(LiveProc(h) == nullptr, c.falls);
    if (!c.falls) { EXPECT_EQ(e->hitPoints, INT32_MAX - 10); }
  }
}

TEST(EnemyObject, DefeatCountsOnceAndScreenClearNotAtAll) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  e->SendEvent(kHitEventDefeated, 0);
  e->SendEvent(kHitEventDefeated, 0);  // a second one in the same frame
  EXPECT_EQ(StageDefeatCount, 1);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(rig.Load());
  EObjBase* f = rig.SpawnNow(1);
  ASSERT_NE(f, nullptr);
  f->SendEvent(kHitEventDefeated, EObjBase::kUncounted);
  EXPECT_EQ(StageDefeatCount, 1);
  EXPECT_EQ(f->grabMode, EObjBase::GRAB_DEFEATED);
}

// The defeat explosion stands where the point shows at depth 0: (x, y) x
// 512 / (z + 512), z = 0. At or behind the eye (z <= -512) that factor
// would divide by zero or mirror the point, so the point is taken
// unscaled. The explosion's flash sprite marks the place.
TEST(EnemyObject, BurstStandsWhereThePointShowsAtDepthZero) {
  testsupport::WeaponRig rig;
  EObjBase e;
  struct Case {
    float z, x, y;
  };
  for (const Case& c : {Case{0.0f, 80.0f, -40.0f}, Case{512.0f, 40.0f, -20.0f}, Case{-256.0f, 160.0f, -80.0f},
                        Case{-512.0f, 80.0f, -40.0f}, Case{-1024.0f, 80.0f, -40.0f}}) {
    SCOPED_TRACE(c.z);
    std::vector<const SObject*> before;
    for (const SObject* o = rig.efx.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) before.push_back(o);
    const float at[4] = {80.0f, -40.0f, c.z, 1.0f};
    e.Burst(at, 1);
    int flashes = 0;
    for (const SObject* o = rig.efx.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
      const auto* sprite = static_cast<const EfxSprite*>(o);
      if (std::find(before.begin(), before.end(), o) != before.end() || sprite->track.GetList() != ExplFlashKeys)
        continue;
      ++flashes;
      const float* p = sprite->Sprite()->ownPos;
      EXPECT_ALL({VAL(p[0], c.x), VAL(p[1], c.y), VAL(p[2], 0.0f)});
    }
    EXPECT_EQ(flashes, 1);
  }
}

TEST(EnemyObject, DefeatGeneratorsFireFromTheWreck) {
  EnemyRig rig;
  AddDrone(rig);
  EnemyScript& s = rig.Script(1);
  GeneratorRecord g;
  g.flags = 0x1;
  g.shotCodeA = g.shotCodeB = 0x0101;
  g.startSpeed = g.endSpeed = 3.0f;
  g.ways = 4;
  g.volleys = 1;
  s.defeatGenerators = {g, g};
  rig.Spawn(0.0f, 1, 1, 0, 0);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  const int before = HitGroupTable[EShotMan::kHitGroup].Count();
  e->SendEvent(kHitEventDefeated, 0);
  // Both records fire their first step at once: 2 x 4 shots.
  EXPECT_EQ(HitGroupTable[EShotMan::kHitGroup].Count() - before, 8);
  // A grabbed enemy's defeat fires none.
  rig.Spawn(0.0f, 1, 1, 0, 0);
  ASSERT_TRUE(rig.Load());
  EObjBase* f = rig.SpawnNow(1);
  f->grabMode = EObjBase::GRAB_HELD;
  const int before2 = HitGroupTable[EShotMan::kHitGroup].Count();
  f->SendEvent(kHitEventDefeated, 0);
  EXPECT_EQ(HitGroupTable[EShotMan::kHitGroup].Count(), before2);
}

TEST(EnemyObject, GrabHoldsTheTintUntilRelease) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  e->SendEvent(EObjBase::EV_GRABBED, 77);
  EXPECT_ALL({VAL(e->grabMode, EObjBase::GRAB_HELD), VAL(e->grabArgument, 77u)});
  rig.Run();  // state 6 entered: body off, the grab colour held
  EXPECT_ALL({VAL(e->behavior.GetState(), EObjBase::STATE_GRABBED), VAL(e->body.disabled, 1),
              VAL(e->colour[0], 0.2f), VAL(e->colour[1], 0.3f), VAL(e->colour[2], 0.4f)});
  rig.Run(30);
  EXPECT_EQ(e->flashRunning, 1);
  EXPECT_EQ(e->colour[0], 0.2f);
  e->SendEvent(EObjBase::EV_RELEASED, 0);
  EXPECT_ALL({VAL(e->grabMode, EObjBase::GRAB_FREE), VAL(e->flashRunning, 0), VAL(e->colour[0], 0.5f)});
  rig.Run();
  EXPECT_ALL({VAL(e->behavior.GetState(), EObjBase::STATE_FLYING), VAL(e->body.disabled, 0)});
}

TEST(EnemyObject, GrabbedSimpleEnemyIsDefeatedWhenTheDashEnds) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  // Not targetable: the grab attempt is refused.
  float partnerPos[4] = {0, 0, 0, 1};
  HitBody partner;
  partner.position = partnerPos;
  e->SendEvent(EObjBase::EV_GRAB_ATTEMPT, reinterpret_cast<SProcArg>(&partner));
  EXPECT_EQ(e->grabbed, 0);
  e->targetableFrames = 5;
  // During recoil the attempt does nothing at all.
  e->grabCount = 1;
  e->SendEvent(EObjBase::EV_RECOIL, 0);
  rig.Run();
  ASSERT_EQ(e->behavior.GetState(), EObjBase::STATE_RECOIL);
  e->targetableFrames = 5;
  e->SendEvent(EObjBase::EV_GRAB_ATTEMPT, reinterpret_cast<SProcArg>(&partner));
  EXPECT_EQ(e->grabbed, 0);
  // The recoil lasts 30 frames: its count, 30 at code 17, reaches 0 on
  // the 30th frame of state 7, and the next frame flies.
  rig.Run(28);
  ASSERT_EQ(e->behavior.GetState(), EObjBase::STATE_RECOIL);
  rig.Run();
  ASSERT_EQ(e->behavior.GetState(), EObjBase::STATE_RECOIL);
  rig.Run();
  ASSERT_EQ(e->behavior.GetState(), EObjBase::STATE_FLYING);
  e->targetableFrames = 5;
  g_DashForm.dashState = DashForm::DASH_OPENING;
  e->SendEvent(EObjBase::EV_GRAB_ATTEMPT, reinterpret_cast<SProcArg>(&partner));
  EXPECT_ALL({VAL(e->grabbed, 1), VAL(e->grabCount, 1), VAL(e->flashRunning, 1), VAL(e->colour[0], 1.0f)});
  rig.Run(3);
  EXPECT_EQ(StageDefeatCount, 0);
  g_DashForm.dashState = DashForm::DASH_IDLE;
  rig.Run();
  EXPECT_EQ(StageDefeatCount, 1);
  EXPECT_EQ(e->grabMode, EObjBase::GRAB_DEFEATED);
}

TEST(EnemyObject, RecoilChoiceStaysInsideTheTable) {
  EnemyRig rig;
  EnemyParam& p = AddDrone(rig);
  p.routeTableId = 5;
  p.recoilRouteIndex = 1;  // entries 1 and 2 are its two choices
  rig.script.routeTables.push_back(RouteTable{5, {RouteEntry{0, 0.0f, 1.0f, 0, 1.0f}, RouteEntry{0, 10.0f, 11.0f, 0, 1.0f},
                                                  RouteEntry{0, 20.0f, 21.0f, 0, 1.0f}}});
  rig.Spawn(0.0f, 1, 0, 0, 0);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  struct Case {
    int rand;
    int32_t choice;
    float from;
  };
  // rand() 32767 gives RandF 1.0 and choice 2, one past the pair: the last
  // entry there is (2 lies inside this table, so index 1 + 2 = 3 does not).
  for (const Case& c : {Case{0, 0, 10.0f}, Case{16384, 1, 20.0f}, Case{32767, 1, 20.0f}}) {
    SCOPED_TRACE(c.rand);
    plat::SRand(0);
    // Find a seed state whose next draw is c.rand.
    int guard = 0;
    while (guard++ < 200000) {
      const uint32_t before = plat::RandSeed();
      if (plat::Rand() == c.rand) {
        plat::SRand(before);
        break;
      }
    }
    e->SendEvent(EObjBase::EV_GRAB_FLASH, 0);
    EXPECT_ALL({VAL(e->routeChoice, c.choice), VAL(e->animator.start, c.from)});
  }
}

TEST(EnemyObject, GeneratorsOfDelayTenThenZeroStartTogether) {
  EnemyRig rig;
  AddDrone(rig);
  EnemyScript& s = rig.Script(1);
  GeneratorRecord g;
  g.flags = 0x1;
  g.shotCodeA = g.shotCodeB = 0x0101;
  g.ways = 1;
  g.volleys = 1;
  g.startDelay = 100.0f;  // they stay until checked
  g.startTime = 10.0f;
  s.generators.push_back(g);
  g.startTime = 0.0f;
  s.generators.push_back(g);
  rig.Spawn(0.0f, 1, 1, 0, 0);
  EnemyType0* e = SpawnRunning(rig);
  ASSERT_NE(e, nullptr);
  // Step k sees the timer at k - 1: both start in step 11.
  rig.Run(10);
  EXPECT_EQ(e->GetList(0)->Count(), 0);
  rig.Run();
  EXPECT_EQ(e->GetList(0)->Count(), 2);
  EXPECT_EQ(e->generatorCursor, nullptr);
}

TEST(EnemyObject, OneRouteRecordPerFrame) {
  EnemyRig rig;
  EnemyParam& p = AddDrone(rig);
  p.routeTableId = 3;
  rig.script.routeTables.push_back(RouteTable{3, {RouteEntry{0, 1.0f, 9.0f, 0, 1.0f}, RouteEntry{0, 2.0f, 9.0f, 0, 1.0f},
                                                  RouteEntry{0, 3.0f, 9.0f, 0, 1.0f}}});
  EnemyScript& s = rig.Script(1);
  s.route = {RouteRecord{0.0f, 0, 0.5f, 0, nullptr}, RouteRecord{5.0f, 1, 0.5f, 0, nullptr},
             RouteRecord{0.0f, 2, 0.5f, 0, nullptr}};
  rig.Spawn(0.0f, 1, 1, 0, 0);
  ASSERT_TRUE(rig.Load());
  EObjBase* e = rig.SpawnNow(0);
  ASSERT_NE(e, nullptr);
  // The first record is applied by the set-up.
  EXPECT_ALL({VAL(e->animator.start, 1.0f), VAL(e->animator.speed, 0.5f)});
  for (int k = 1; k <= 5; ++k) e->Step();
  EXPECT_EQ(e->animator.start, 1.0f);
  e->Step();  // step 6: timer 5
  EXPECT_EQ(e->animator.start, 2.0f);
  e->Step();  // the delay-0 record one frame later
  EXPECT_EQ(e->animator.start, 3.0f);
}

TEST(EnemyObject, DepthSwitchesTheBodyAndTheAreaRemovesTheEnemy) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(rig.Load());
  struct Case {
    float x, y, z;
    uint8_t off;
    bool removed;
  };
  const Case cases[] = {
      {0.0f, 0.0f, -100.0f, 1, false}, {0.0f, 0.0f, 99.9f, 0, false},   {0.0f, 0.0f, 100.0f, 1, false},
      {0.0f, 519.9f, 0.0f, 0, false},  {0.0f, 520.0f, 0.0f, 0, true},   {0.0f, -520.0f, 0.0f, 0, true},
      {440.0f, 0.0f, 0.0f, 0, true},   {-439.9f, 0.0f, 0.0f, 0, false}, {-440.0f, 0.0f, 0.0f, 0, true},
      {0.0f, 619.9f, 200.0f, 1, false}, {0.0f, 620.0f, 200.0f, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.z);
    EObjBase* e = rig.SpawnNow(0);
    ASSERT_NE(e, nullptr);
    float* p = e->GetPosition();
    p[0] = c.x, p[1] = c.y, p[2] = c.z;
    e->Step();
    EXPECT_EQ(e->body.disabled, c.off);
    EXPECT_EQ(e->GetState() == SProc::STATE_KILLED, c.removed);
    e->Kill(0);
  }
}

TEST(EnemyObject, DrawListRunsFarToNear) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 0, 0, 0.0f);
  rig.Spawn(0.0f, 1, 0, 0, 0, 50.0f);
  rig.Spawn(0.0f, 1, 0, 0, 0, -30.0f);
  ASSERT_TRUE(rig.Load());
  EObjBase* a = rig.SpawnNow(0);
  EObjBase* b = rig.SpawnNow(1);
  EObjBase* c = rig.SpawnNow(2);
  EnemyMan::SortDrawList();
  ASSERT_EQ(EnemyDrawList.size(), 3u);
  EXPECT_ALL({VAL(EnemyDrawList[0] == b, true), VAL(EnemyDrawList[1] == a, true), VAL(EnemyDrawList[2] == c, true)});
  // A disposed enemy leaves at once; the others keep their order.
  b->Kill(0);
  rig.Run(2);
  ASSERT_EQ(EnemyDrawList.size(), 2u);
  EXPECT_ALL({VAL(EnemyDrawList[0] == a, true), VAL(EnemyDrawList[1] == c, true)});
}

}  // namespace
