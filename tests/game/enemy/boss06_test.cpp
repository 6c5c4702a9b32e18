// Boss type 6 on the enemy rig with a 48-node model: its fight's states
// over frames, its next-point choice, its cables' samples, its pods, its
// defeat (also before its pods came) ending the body; then a fight in the
// whole program and a picture of its shadows.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "boss_stage.h"
#include "gen_expect.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyType6.h"
#include "game/stage/MapMng.h"
#include "game/tables/enemy_tables.h"
#include "model_rig.h"
#include "platform/crt_rand.h"
#include "support/BossFight.h"
#include "support/SoundProbe.h"
#include "support/StageBossFight.h"

namespace {

struct Boss6Rig {
  explicit Boss6Rig(int32_t limit = 100000) {
    m.model = enemytest::GrownModel(48);
    m.modelSlot.Set(m.model.get());
    MdlEnemyBs04.Set(m.model.get());
    EnemyParam& p = m.rig.Param(1, "Boss04", 6, 350, 60000, 60.0f);
    p.defeatMode = 3, p.chainFrameLimit = limit, p.routeTableId = 1;
    RouteTable t{1, {}};
    for (int i = 0; i < 31; ++i) t.entries.push_back(RouteEntry{0, 0.0f, 10.0f, 0, 1.0f});
    m.rig.script.routeTables.push_back(t);
    m.rig.Spawn(0.0f, 1, 0, 0.0f, -150.0f);
    if (m.Load()) boss = dynamic_cast<EnemyType6*>(g_EnemySet.SpawnAt(0));
    m.rig.Run(1);  // the rig's first frame only starts the boss
    g_MapMng.speed = 1.0f;
  }
  ~Boss6Rig() { MdlEnemyBs04.Reset(); }
  int UntilNext(int limit = 3000) {
    const int32_t s = boss->Script().GetState();
    for (int f = 1; f <= limit; ++f) {
      m.rig.Run(1);
      if (boss->Script().GetState() != s) return f;
    }
    return -1;
  }
  enemytest::ModelRig m;
  EnemyType6* boss = nullptr;
};

TEST(Boss06, FightsThroughItsCycle) {
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  // The shadows merge over 500 frames: state 1 on the 502nd.
  EXPECT_EQ(r.UntilNext(), 502);
  // The pods, added now, fly back from radius 360 from the next frame and
  // dock on their 63rd; the body sees them docked a frame later.
  EXPECT_EQ(r.UntilNext(), 66);
  EXPECT_EQ(r.boss->Script().GetState(), EnemyType6Behavior::STATE_HOVER);
  // Ten hovers of 30 frames and an arrival each (state 2 entered anew),
  // then home.
  EXPECT_EQ(r.UntilNext(), 310);
  const std::vector<std::pair<int32_t, int>> rest = {{100000, 0}, {3, 41}, {4, 61}, {5, 301}, {6, 61}, {7, 391}, {2, 231}};
  for (size_t i = 0; i < rest.size(); ++i) {
    if (i > 0) { EXPECT_EQ(r.UntilNext(), rest[i].second) << i; }
    EXPECT_EQ(r.boss->Script().GetState(), rest[i].first) << i;
  }
}

// The generators with their values: one at each hover arrival; the
// burst's twelve on entry; the shadows' pair each at frame 200 (from the
// shadow); the wobble's two on entry.
TEST(Boss06, GeneratorsWithTheirValues) {
  using enemytest::ExpectGen;
  using enemytest::LiveGens;
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  while (s.GetState() != EnemyType6Behavior::STATE_HOVER) ASSERT_GT(r.UntilNext(), 0);
  // The first arrival, 30 frames on: one generator.
  for (int k = 0; k < 100 && LiveGens(r.boss).empty(); ++k) r.m.rig.Run(1);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x20101, 5, 5, 0x205, 0, 0, 0, 5.0f, 5.0f, 21, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0,
                               -1, -1, 0});
  }
  if (SProcList* l = r.boss->GetList(0)) l->KillAll(0);
  s.ChangeState(EnemyType6Behavior::STATE_BURST);
  r.m.rig.Run(1);
  ASSERT_EQ(s.GetState(), EnemyType6Behavior::STATE_BURST);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 12u);
    for (int i = 0; i <= 5; ++i) {
      SCOPED_TRACE(i);
      ExpectGen(*g[size_t(2 * i)], ShotTuple{0x101, 5, 10, 10, 0.1666f * float(i) + 0.25f, 0, 0, 2.5f, 2.5f, 6, 0.0833f,
                                             1, 0, 10, 3, 50, 40, 0, 0, 0, 0, 30.0f, -1, -1, 0});
      ExpectGen(*g[size_t(2 * i + 1)], ShotTuple{0x101, 5, 266, 266, 0.1666f * float(i) + 0.3333f, 0, 0, 2.5f, 2.5f, 6,
                                                 0.0833f, 1, 0, 10, 3, 50, 40, 0, 0, 0, 0, 60.0f, -1, -1, 0});
    }
  }
  if (SProcList* l = r.boss->GetList(0)) l->KillAll(0);
  s.ChangeState(EnemyType6Behavior::STATE_SHADOWS);
  r.m.rig.Run(1);
  ASSERT_EQ(s.GetState(), EnemyType6Behavior::STATE_SHADOWS);
  while (s.frame <= 200) {
    EXPECT_TRUE(LiveGens(r.boss).empty()) << s.frame;
    r.m.rig.Run(1);
  }
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 8u);
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      ExpectGen(*g[size_t(2 * i)], ShotTuple{0x101, 5, 4, 4, 0.25f * float(i) + 0.125f, 0, 0, 1.9f, 1.9f, 12, 0.13f, 1,
                                             0, 16, 3, 0, 0, 0, 0, 0, 1, 0, -1, -1, 0});
      ExpectGen(*g[size_t(2 * i + 1)], ShotTuple{0x101, 5, 4, 4, 0, 0, 0, 2.7f, 2.7f, 20, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0,
                                                 0, 1, 0, -1, -1, 0});
      for (int k = 0; k < 2; ++k) {
        const float* from = g[size_t(2 * i + k)]->OwnerPosition();
        EXPECT_FLOAT_EQ(from[0], s.shadows[i].Position()[0]);
        EXPECT_FLOAT_EQ(from[1], s.shadows[i].Position()[1]);
      }
    }
  }
  if (SProcList* l = r.boss->GetList(0)) l->KillAll(0);
  s.ChangeState(EnemyType6Behavior::STATE_WOBBLE);
  r.m.rig.Run(1);
  ASSERT_EQ(s.GetState(), EnemyType6Behavior::STATE_WOBBLE);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 2u);
    ExpectGen(*g[0], ShotTuple{0x101, 5, 10, 10, 0.25f, -0.0283f, -0.0283f, 5.0f, 5.0f, 20, 1.0f, 1, 0, 7, 10, 0, 0, 0,
                               0, 0, 1, 100.0f, -1, -1, 30});
    ExpectGen(*g[1], ShotTuple{0x101, 5, 10, 10, 0, 0, 0, 5.0f, 5.0f, 33, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 170.0f,
                               -1, -1, 0});
  }
}

// One rand draw a choice; the body crosses from the left pair (1, 4) to the
// right pair (2, 3) and back; from 0 any point, 4 only for r >= 0.8163.
TEST(Boss06, ChoosesItsNextPointAcrossTheArena) {
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  EnemyType6Behavior& s = r.boss->Script();
  for (uint32_t seed = 0; seed < 400; ++seed) {
    for (int32_t from : {0, 1, 2, 3, 4}) {
      plat::SRand(seed * 7919u);
      const uint32_t next = seed * 7919u * 214013u + 2531011u;
      const float u = float((next >> 16) & 0x7FFF) / 32767.0f;
      s.ChooseNext(from);
      EXPECT_EQ(plat::RandSeed(), next);
      const int32_t want = from == 0 ? (u >= 0.8164f ? 4 : u < 0.2f ? 0 : s.chosenIndex)
                           : (from == 1 || from == 4) ? (u < 0.5263f ? 2 : 3)
                                                      : (u < 0.5263f ? 1 : 4);
      EXPECT_EQ(s.chosenIndex, want) << from << " " << u;
      EXPECT_EQ(s.chosen, s.hover[s.chosenIndex]);
    }
  }
}

// A cable sampled one point a frame over 20 + 20 frames has 41 points; one
// over 400 + 400 stops at the 128 its 512 vertices can draw.
TEST(Boss06, CableSamplesAreCapped) {
  EnemyType6Cable c;
  static constexpr float kA[4] = {0, 0, 0, 1}, kB[4] = {100, 0, 0, 1};
  c.mid[0] = 50.0f, c.mid[1] = 40.0f;
  c.Rebuild(kA, kB, 20.0f, 20.0f);
  EXPECT_EQ(c.count, 40);
  EXPECT_FLOAT_EQ(c.points[0][0], 0.0f);
  c.Rebuild(kA, kB, 400.0f, 400.0f);
  EXPECT_EQ(c.count, EnemyType6Cable::kMaxSamples);
}

// Defeated in its entrance, before its pods and arms ever registered: the
// defeat runs through, moves the rail on, and its explosion ends the body.
TEST(Boss06, DefeatBeforeItsPodsCameEndsTheBody) {
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  SHandle<EnemyType6> h(r.boss);
  r.m.rig.Run(50);
  g_MapMng.t = 7400.0f;
  r.boss->SendEvent(EObjBase::EV_DEFEATED, 0);
  int frames = 0, blast = -1;
  std::pair<int32_t, int32_t> last;
  while (LiveProc(h) != nullptr && frames < 2000) {
    r.m.rig.Run(1);
    ++frames;
    if (frames == 1) { EXPECT_EQ(g_MapMng.armed, 0); }
    if (LiveProc(h) != nullptr) { EXPECT_EQ(g_EnemySet.paused, 1); }
    if (LiveProc(h) == nullptr) break;
    last = {r.boss->Script().subStep, r.boss->Script().frame};
    if (blast < 0 && last.first == 3) blast = frames;
  }
  // Ended by its explosion (made in the frame sub-step 3 starts, its first
  // frame in that frame) on the explosion's 195th frame, after its last
  // step's frame 17 moved the rail on.
  ASSERT_GT(blast, 0);
  EXPECT_EQ(frames - blast, 194);
  EXPECT_EQ(last.first, 6);
  EXPECT_GT(last.second, EnemyType6Behavior::kEndFrame);
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 0);
  EXPECT_GE(g_MapMng.t, EnemyType6Behavior::kRailOn);
}

// With the pool of large explosions full when its defeat asks for one, no
// blast would ever end the body (and it would hold the enemy timeline for
// good): its last step's frame 17 ends it.
TEST(Boss06, WithoutAnExplosionItsLastStepEndsTheBody) {
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  SHandle<EnemyType6> h(r.boss);
  r.m.rig.Run(50);
  EfxMan* efx = EfxMan::Instance();
  ASSERT_NE(efx, nullptr);
  const SVec4 far{0.0f, -2000.0f, 0.0f, 1.0f};
  int taken = 0;
  while (taken < 1000 && efx->SpawnRandom(7, &far, 1.0f, static_cast<SProc*>(nullptr)) != nullptr) ++taken;
  ASSERT_LT(taken, 1000);
  r.boss->SendEvent(EObjBase::EV_DEFEATED, 0);
  std::pair<int32_t, int32_t> last;
  for (int frames = 0; LiveProc(h) != nullptr && frames < 2000; ++frames) {
    last = {r.boss->Script().subStep, r.boss->Script().frame};
    r.m.rig.Run(1);
  }
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_EQ(last, std::make_pair(6, EnemyType6Behavior::kEndFrame));
  EXPECT_EQ(g_EnemySet.paused, 0);
  efx->ClearAll();
}

// Time up at the tenth arrival: the defeat follows without the popup.
TEST(Boss06, TimeUpAtTheHoversEndIsAnUncountedDefeat) {
  Boss6Rig r(600);
  ASSERT_NE(r.boss, nullptr);
  const int32_t defeats = StageDefeatCount;
  while (r.boss->Script().GetState() != EnemyBase::SCRIPT_DEFEATED) ASSERT_GT(r.UntilNext(), 0);
  EXPECT_EQ(r.boss->Script().GetPreviousState(), EnemyType6Behavior::STATE_HOVER);
  EXPECT_EQ(StageDefeatCount, defeats);
}

// Stage 2's second boss from its record, shot down by the Player: its
// defeat ends it and the timeline runs on.
TEST(Boss06, ShotDownInStageTwo) {
  testsupport::BossFight f(2, 106);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  ASSERT_NE(f.Boss(), nullptr);
  const auto end = f.ShootDown(30, 4000);
  ASSERT_GT(end.defeated, 0);
  EXPECT_GT(end.ended, end.defeated);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

// Its shadows in the corners over stage 1's scenery, 229 frames into the
// shadow state: the body is away at (0, -600); the shadows, gliding from
// frame 50 at rate 0.04 a frame, have 0.96^179 (under 0.001) of their way
// from the body's start left: within a unit of their corners (-150, -200),
// (150, -200), (150, 200), (-150, 200); each
// fired its pair at frame 200, and the three-step fans (16 frames apart)
// still fire from each corner while the one-volley rings have ended.
TEST(Boss06, PictureOfTheShadows) {
  const auto model = enemytest::GrownModel(48);
  enemytest::BossPicture p(2, 106, &MdlEnemyBs04, model.get());
  auto* boss = dynamic_cast<EnemyType6*>(p.boss);
  ASSERT_NE(boss, nullptr);
  boss->Script().ChangeState(EnemyType6Behavior::STATE_SHADOWS);
  p.world->Step(230);
  auto& s = boss->Script();
  EXPECT_EQ(s.GetState(), EnemyType6Behavior::STATE_SHADOWS);
  EXPECT_EQ(s.frame, 230);
  const float* at = boss->GetPosition();
  EXPECT_EQ(std::make_tuple(at[0], at[1], at[2]), std::make_tuple(0.0f, -600.0f, 0.0f));
  const float corners[4][2] = {{-150, -200}, {150, -200}, {150, 200}, {-150, 200}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const float* q = s.shadows[i].Position();
    EXPECT_NEAR(q[0], corners[i][0], 1.0f);
    EXPECT_NEAR(q[1], corners[i][1], 1.0f);
    int fans = 0;
    for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c)) {
      auto* g = dynamic_cast<EShotGen*>(c);
      if (g == nullptr || c->GetState() >= SProc::STATE_KILLED) continue;
      const float* o = g->OwnerPosition();
      if (std::fabs(o[0] - q[0]) < 1e-3f && std::fabs(o[1] - q[1]) < 1e-3f) {
        ++fans;
        EXPECT_EQ(std::make_tuple(g->ways, g->volleys), std::make_tuple(12, 3));
        EXPECT_FLOAT_EQ(g->baseAngle, 0.25f * float(i) + 0.125f);
      }
    }
    EXPECT_EQ(fans, 1);
  }
  EXPECT_TRUE(p.Matches("boss06_shadows.png"));
}

// On stage 2 as it plays: the shadows' merge is heard at frame 200 of the
// entrance (effect 21) and the pods' coming on entering state 1 (voice 23);
// in the shadow state voice 25 and effect 21 at frame 50, effect 21 again
// at 250; voice 24 on entering the wobble.
TEST(Boss06, SoundsOnTheirFrames) {
  testsupport::StageBossFight f(2);
  auto* b = dynamic_cast<EnemyType6*>(f.Start(7348.0f, 7346.0f, "Boss04"));
  ASSERT_NE(b, nullptr);
  SRsc* se = testsupport::EffectBank();
  SRsc* vo = testsupport::VoiceBank();
  ASSERT_NE(se, nullptr);
  ASSERT_NE(vo, nullptr);
  auto& s = b->Script();
  ASSERT_EQ(s.GetState(), EnemyType6Behavior::STATE_ENTRANCE);
  ASSERT_LT(s.frame, 200);
  testsupport::MarkSound(se, 21);
  testsupport::MarkSound(vo, 23);
  while (s.frame < 200) f.Step();
  EXPECT_FALSE(testsupport::SoundPlayed(se, 21));
  f.Step();
  EXPECT_TRUE(testsupport::SoundPlayed(se, 21));
  while (s.GetState() == EnemyType6Behavior::STATE_ENTRANCE) {
    EXPECT_FALSE(testsupport::SoundPlayed(vo, 23));
    f.Step();
  }
  EXPECT_EQ(s.GetState(), EnemyType6Behavior::STATE_PODS_IN);
  EXPECT_TRUE(testsupport::SoundPlayed(vo, 23));
  // The shadow state, ordered at once.
  s.ChangeState(EnemyType6Behavior::STATE_SHADOWS);
  f.Step();
  ASSERT_EQ(s.GetState(), EnemyType6Behavior::STATE_SHADOWS);
  for (int32_t at : {50, 250}) {
    testsupport::MarkSound(se, 21);
    testsupport::MarkSound(vo, 25);
    while (s.frame < at) f.Step();
    EXPECT_FALSE(testsupport::SoundPlayed(se, 21)) << at;
    f.Step();
    EXPECT_TRUE(testsupport::SoundPlayed(se, 21)) << at;
    EXPECT_EQ(testsupport::SoundPlayed(vo, 25), at == 50) << at;
  }
  testsupport::MarkSound(vo, 24);
  while (s.GetState() == EnemyType6Behavior::STATE_SHADOWS) {
    EXPECT_FALSE(testsupport::SoundPlayed(vo, 24));
    f.Step();
  }
  EXPECT_EQ(s.GetState(), EnemyType6Behavior::STATE_WOBBLE);
  EXPECT_TRUE(testsupport::SoundPlayed(vo, 24));
}

}  // namespace
