// Boss type 6 on the enemy rig with a 48-node model: its fight's states
// over frames, its next-point choice, its cables' samples, its pods, its
// defeat (also before its pods came) ending the body; then a fight in the
// whole program and a picture of its shadows; its pods, arms, cables and
// shadows on their own frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "boss_stage.h"
#include "gen_expect.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/boss06/EnemyType6.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/tables/enemy_tables.h"
#include "model_rig.h"
#include "platform/crt_rand.h"
#include "support/BossFight.h"
#include "support/SoundProbe.h"
#include "support/StageBossFight.h"
#include "vrax/graphic/SGpMan.h"

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

// The body's set-up turns on both display flags of node 47 (keep its world
// matrix and its world-view matrix), and of no other node.
TEST(Boss06, InitSetsBothDisplayFlagsOfNode47) {
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  for (int32_t n : {0, 46, 47}) {
    SGpNode* node = r.boss->model.GetNode(n);
    ASSERT_NE(node, nullptr) << n;
    const uint8_t on = n == 47 ? 1 : 0;
    EXPECT_EQ(node->GetKeepWorld(), on) << n;
    EXPECT_EQ(node->GetKeepWorldView(), on) << n;
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
  EXPECT_EQ(c.count, 127);  // after the first: 128 points
}

// Defeated in its entrance, before its pods and arms ever registered: the
// defeat runs through, moves the rail on, and its explosion ends the body.
TEST(Boss06, DefeatBeforeItsPodsCameEndsTheBody) {
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  SHandle<EnemyType6> h(r.boss);
  r.m.rig.Run(50);
  g_MapMng.t = 7400.0f;
  r.boss->SendEvent(kHitEventDefeated, 0);
  int frames = 0, blast = -1;
  std::pair<int32_t, int32_t> last;
  while (LiveProc(h) != nullptr && frames < 2000) {
    r.m.rig.Run(1);
    ++frames;
    if (frames == 1) { EXPECT_EQ(g_MapMng.armed, 0); }
    if (LiveProc(h) != nullptr) { EXPECT_EQ(g_EnemySet.paused, 1); }
    if (LiveProc(h) == nullptr) break;
    last = {r.boss->Script().step, r.boss->Script().frame};
    if (blast < 0 && last.first == 3) blast = frames;
  }
  // Ended by its explosion (made in the frame sub-step 3 starts, its first
  // frame in that frame) on the explosion's 195th frame, after its last
  // step's frame 17 moved the rail on.
  ASSERT_GT(blast, 0);
  EXPECT_EQ(frames - blast, 194);
  EXPECT_EQ(last.first, 6);
  EXPECT_GT(last.second, 17);
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 0);
  EXPECT_GE(g_MapMng.t, 8600.0f);
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
  r.boss->SendEvent(kHitEventDefeated, 0);
  std::pair<int32_t, int32_t> last;
  for (int frames = 0; LiveProc(h) != nullptr && frames < 2000; ++frames) {
    last = {r.boss->Script().step, r.boss->Script().frame};
    r.m.rig.Run(1);
  }
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_EQ(last, std::make_pair(6, 17));
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

namespace {

// Radius after n expansion steps of the pods' spread: each adds
// (1 - cos(min(k, 30) / 30 x pi/2)) x 15 + 10.
double SpreadRadius(int n) {
  double r = 0.0;
  for (int k = 1; k <= n; ++k) r += (1.0 - std::cos(std::min(k, 30) / 30.0 * M_PI / 2.0)) * 15.0 + 10.0;
  return r;
}

}  // namespace

// One pod on its own, frame by frame: the spread reaches radius 420 on its
// 28th frame (421.87) and idles, placed at the radius it orbited at on that
// frame; a launch does the same and then dives; a dive at acceleration 0.17
// reaches speed 30 on its 177th frame, at 0.8 on its 38th, moving by the
// speed before each increase; the return from 360 keeps nine tenths a frame
// and docks after its 63rd frame (0.47), docked at (0, 0, 0).
TEST(Boss06, PodSpreadDiveAndReturnOnTheirFrames) {
  EnemyType6PodBehavior p;
  static constexpr float kCentre[4] = {10.0f, 20.0f, 30.0f, 1.0f};
  p.centre = kCentre;
  p.orbit = 0.125f;
  const double c = std::cos(M_PI / 4.0), s = std::sin(M_PI / 4.0);
  for (int32_t from : {int32_t(EnemyType6PodBehavior::SPREAD), int32_t(EnemyType6PodBehavior::LAUNCH)}) {
    p.ChangeState(from);
    for (int n = 1; n <= 28; ++n) {
      p.Update();
      ASSERT_EQ(p.GetState(), from) << n;
      // Placed at the radius before this frame's expansion.
      EXPECT_NEAR(p.position[0], 10.0 + SpreadRadius(n - 1) * c, 1e-3) << n;
      EXPECT_NEAR(p.position[1], 20.0 + SpreadRadius(n - 1) * s, 1e-3) << n;
      EXPECT_FLOAT_EQ(p.position[2], 30.0f);
      EXPECT_NEAR(p.radius, SpreadRadius(n), 1e-3) << n;
      EXPECT_EQ(p.IsPending(), n == 28) << n;
    }
    EXPECT_NEAR(p.radius, 421.87, 0.01);
    EXPECT_EQ(p.counter, 28);
    EXPECT_EQ(p.GetNextState(), from == EnemyType6PodBehavior::SPREAD ? int32_t(EnemyType6PodBehavior::IDLE)
                                                                        : int32_t(EnemyType6PodBehavior::DIVE));
  }
  // The dive, aimed at the player an eighth of a turn up and right.
  for (auto [accel, frames] : {std::pair<float, int>{0.17f, 177}, std::pair<float, int>{0.8f, 38}}) {
    p.position[0] = 100.0f, p.position[1] = 50.0f, p.position[2] = 0.0f;
    PlayerPos = SVec4{200.0f, 150.0f, 0.0f, 1.0f};
    p.acceleration = accel;
    p.ChangeState(EnemyType6PodBehavior::DIVE);
    for (int n = 1; n <= frames; ++n) {
      p.Update();
      ASSERT_EQ(p.GetState(), EnemyType6PodBehavior::DIVE) << n;
      EXPECT_FLOAT_EQ(p.heading, 0.125f);
      const double travelled = accel * double(n - 1) * n / 2.0;
      EXPECT_NEAR(p.position[0], 100.0 + travelled * c, 0.05) << n;
      EXPECT_NEAR(p.position[1], 50.0 + travelled * s, 0.05) << n;
      EXPECT_NEAR(p.radius, accel * n, 1e-3) << n;
      EXPECT_EQ(p.counter, n);
      EXPECT_EQ(p.GetNextState(), n == frames ? int32_t(EnemyType6PodBehavior::RETURN) : int32_t(EnemyType6PodBehavior::DIVE))
          << accel << " " << n;
    }
  }
  PlayerPos = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
  // The return: orbit at 360 on its first frame, then nine tenths a frame.
  p.ChangeState(EnemyType6PodBehavior::RETURN);
  double r = 360.0;
  for (int n = 1; n <= 63; ++n) {
    p.Update();
    ASSERT_EQ(p.GetState(), EnemyType6PodBehavior::RETURN) << n;
    EXPECT_NEAR(p.position[0], 10.0 + r * c, 1e-2) << n;
    EXPECT_NEAR(p.position[1], 20.0 + r * s, 1e-2) << n;
    r *= 0.9;
    EXPECT_NEAR(p.radius, r, 1e-3) << n;
    EXPECT_EQ(p.GetNextState(), n == 63 ? int32_t(EnemyType6PodBehavior::DOCKED) : int32_t(EnemyType6PodBehavior::RETURN))
        << n;
  }
  p.Update();
  EXPECT_EQ(p.GetState(), EnemyType6PodBehavior::DOCKED);
  EXPECT_FLOAT_EQ(p.position[0], 0.0f);
  EXPECT_FLOAT_EQ(p.position[1], 0.0f);
  EXPECT_FLOAT_EQ(p.position[2], 0.0f);
}

// An arm aims at (r cos 2 pi a, r sin 2 pi a, 0) tilted 0.1 turn about x
// and added to its anchor, eased at the rate (a rate of 1 jumps); a cable
// aims its mid-point the same way.
TEST(Boss06, ArmsAndCablesAimAroundTheirAnchor) {
  static constexpr float kAnchor[4] = {30.0f, -40.0f, 5.0f, 1.0f};
  static constexpr float kTilt[3] = {0.1f, 0.0f, 0.0f};
  const double c36 = std::cos(0.2 * M_PI), s36 = std::sin(0.2 * M_PI);
  EnemyType6Arm arm;
  arm.SetAnchor(kAnchor);
  arm.Aim(0.5f, 80.0f, 1.0f, kTilt);
  EXPECT_NEAR(arm.position[0], 30.0 - 80.0, 1e-3);
  EXPECT_NEAR(arm.position[1], -40.0, 1e-3);
  EXPECT_NEAR(arm.position[2], 5.0, 1e-3);
  // A quarter turn: the offset (0, 100, 0) leans into z.
  arm.Aim(0.25f, 100.0f, 1.0f, kTilt);
  EXPECT_NEAR(arm.position[0], 30.0, 1e-3);
  EXPECT_NEAR(arm.position[1], -40.0 + 100.0 * c36, 1e-3);
  EXPECT_NEAR(arm.position[2], 5.0 + 100.0 * s36, 1e-3);
  // Back to angle 0 at the rate 0.1: a tenth of the gap.
  arm.Aim(0.0f, 100.0f, 0.1f, kTilt);
  EXPECT_NEAR(arm.position[0], 30.0 + 0.1 * 100.0, 1e-3);
  EXPECT_NEAR(arm.position[1], -40.0 + 0.9 * 100.0 * c36, 1e-3);
  EXPECT_NEAR(arm.position[2], 5.0 + 0.9 * 100.0 * s36, 1e-3);
  EnemyType6Cable cable;
  cable.SetAnchor(kAnchor);
  cable.Aim(0.25f, 60.0f, 1.0f, kTilt);
  EXPECT_NEAR(cable.mid[0], 30.0, 1e-3);
  EXPECT_NEAR(cable.mid[1], -40.0 + 60.0 * c36, 1e-3);
  EXPECT_NEAR(cable.mid[2], 5.0 + 60.0 * s36, 1e-3);
}

// On the rig, once its pods came: five pods (group 9, mask 0, radius 6,
// power 100) and two arms (group 9, mask 0x10, radius 14, power 100) hurt
// the player; the four shadows are "B004::Kage", drawn every other frame.
TEST(Boss06, PartsBodiesAndShadowFlicker) {
  Boss6Rig r;
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  // Shadows: shadow i starts with flicker i AND 1, swapped on each draw,
  // and is drawn (then tilted 0.1 turn about x) only when it is 1; so a
  // shadow started with 0 is first drawn on the second frame.
  for (int i = 0; i < 4; ++i) {
    EnemyType6Kage& k = s.shadows[i];
    EXPECT_EQ(k.GetName(), "B004::Kage");
    EXPECT_EQ(k.flicker, i & 1) << i;
    const SMatrix* m = k.node.GetLocal();
    for (int f = 1; f <= 2; ++f) {
      k.SendEvent(SProc::EVENT_DRAW, 0);
      EXPECT_EQ(k.flicker, (i + f) & 1) << i;
      const bool drawn = ((i + f - 1) & 1) != 0 || f == 2;
      EXPECT_NEAR(m->m[1][1], drawn ? std::cos(0.2 * M_PI) : 1.0, 1e-5) << i << " " << f;
      EXPECT_NEAR(std::fabs(m->m[1][2]), drawn ? std::sin(0.2 * M_PI) : 0.0, 1e-5) << i << " " << f;
    }
  }
  while (s.GetState() != EnemyType6Behavior::STATE_PODS_IN) ASSERT_GT(r.UntilNext(), 0);
  r.m.rig.Run(1);
  for (auto& p : s.pods) {
    EXPECT_EQ(p.body.group, 9);
    EXPECT_EQ(p.body.mask, 0u);
    EXPECT_FLOAT_EQ(p.body.GetRadius(), 6.0f);
    EXPECT_EQ(p.body.power, 100);
    EXPECT_EQ(p.body.owner, &p);
  }
  for (auto& a : s.arms) {
    EXPECT_EQ(a.body.group, 9);
    EXPECT_EQ(a.body.mask, 0x10u);
    EXPECT_FLOAT_EQ(a.body.GetRadius(), 14.0f);
    EXPECT_EQ(a.body.power, 100);
    EXPECT_EQ(a.body.position, a.position);
  }
}

// On stage 2 as it plays: the pods fly back from radius 360 when they come,
// and effect 45 is heard on each frame whose radius is 35 or less (frames
// 23 to 63 of the return: 360 x 0.9^23 = 31.9, 360 x 0.9^22 = 35.4); a
// launch plays effect 20 as it starts.
TEST(Boss06, PodsSoundAsTheyCloseInAndLaunch) {
  testsupport::StageBossFight f(2);
  auto* b = dynamic_cast<EnemyType6*>(f.Start(7348.0f, 7346.0f, "Boss04"));
  ASSERT_NE(b, nullptr);
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  auto& s = b->Script();
  while (s.GetState() == EnemyType6Behavior::STATE_ENTRANCE) f.Step();
  ASSERT_EQ(s.GetState(), EnemyType6Behavior::STATE_PODS_IN);
  auto& pod = s.pods[0].behavior;
  ASSERT_EQ(pod.GetNextState(), EnemyType6PodBehavior::RETURN);
  for (int n = 1; n <= 63; ++n) {
    testsupport::RearmSound(se, 45);
    f.Step();
    ASSERT_EQ(pod.GetState(), EnemyType6PodBehavior::RETURN) << n;
    EXPECT_EQ(testsupport::SoundPlayed(se, 45), n >= 23) << n;
  }
  EXPECT_EQ(pod.GetNextState(), EnemyType6PodBehavior::DOCKED);
  f.Step();
  EXPECT_EQ(pod.GetState(), EnemyType6PodBehavior::DOCKED);
  testsupport::RearmSound(se, 20);
  f.Step(3);
  EXPECT_FALSE(testsupport::SoundPlayed(se, 20));
  // Docked, the pod sits on the body's node 47, and its hit body with it,
  // not at the view's origin.
  const float* dock = b->Node47();
  const float* hit = s.pods[0].body.position;
  ASSERT_NE(dock, nullptr);
  ASSERT_NE(hit, nullptr);
  EXPECT_GT(std::fabs(dock[0]) + std::fabs(dock[1]) + std::fabs(dock[2]), 1.0f);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(hit[i], dock[i]) << i;
  pod.ChangeState(EnemyType6PodBehavior::LAUNCH);
  f.Step();
  EXPECT_EQ(pod.GetState(), EnemyType6PodBehavior::LAUNCH);
  EXPECT_TRUE(testsupport::SoundPlayed(se, 20));
}

// The world matrix each time the packet runs.
struct WorldProbe : SGpObj {
  void Execute() override { seen.push_back(SGpMan::GetWorld()); }
  std::vector<SMatrix> seen;
};

// A docked pod is drawn under the body's node 47 matrix, so it carries the
// body's tilt of 0.1 turn (36 degrees) about x. Rows are the images of the
// pod's axes, C = cos 36 = 0.80902, S = sin 36 = 0.58779, and its spin is
// s = -0.16 turn: c = cos 2 pi s = 0.53583, n = sin 2 pi s = -0.84433.
// Its own quarter turn about x takes y to -z and z to y: rows (1, 0, 0),
// (0, 0, -1), (0, 1, 0). The spin about z before it gives x -> (c, 0, -n),
// y -> (-n, 0, -c), z -> (0, 1, 0); the tilt after it, y -> (0, C, S) and
// z -> (0, -S, C), gives x -> (c, n S, -n C), y -> (-n, c S, -c C),
// z -> (0, C, S), at node 47's translation. (Drawn without the body's
// turn, z would stay (0, 1, 0), 36 degrees less tilted; turned the other
// way about x it would point to (0, -C, -S).)
TEST(Boss06, DockedPodsAreDrawnUnderNode47WithTheBodysTilt) {
  testsupport::StageBossFight f(2);
  auto* b = dynamic_cast<EnemyType6*>(f.Start(7348.0f, 7346.0f, "Boss04"));
  ASSERT_NE(b, nullptr);
  auto& s = b->Script();
  for (int k = 0; k < 1000 && s.GetState() != EnemyType6Behavior::STATE_HOVER; ++k) f.Step();
  ASSERT_EQ(s.GetState(), EnemyType6Behavior::STATE_HOVER);
  EnemyType6Pod& pod = s.pods[0];
  ASSERT_EQ(pod.behavior.GetState(), EnemyType6PodBehavior::DOCKED);
  ASSERT_FLOAT_EQ(pod.behavior.spin, -0.16f);
  WorldProbe probe;
  SGpNode* root = pod.model.GetRootNode();
  ASSERT_NE(root, nullptr);
  root->AddPacket(&probe);
  f.Step();
  root->RemovePacket(&probe);
  ASSERT_EQ(probe.seen.size(), 1u);
  const double C = 0.80902, S = 0.58779;
  // Node 47 itself: the body's tilt and no other turn.
  const SMatrix& node = *b->Node47World();
  const double tilt[3][3] = {{1, 0, 0}, {0, C, S}, {0, -S, C}};
  const double want[3][3] = {{0.53583, -0.49628, 0.68308}, {0.84433, 0.31495, -0.43349}, {0, 0.80902, 0.58779}};
  const SMatrix& drawn = probe.seen[0];
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(node.m[r][k], tilt[r][k], 2e-5) << r << k;
      EXPECT_NEAR(drawn.m[r][k], want[r][k], 2e-5) << r << k;
    }
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(drawn.m[3][k], node.m[3][k], 1e-3) << k;
    EXPECT_FLOAT_EQ(pod.HitPosition()[k], node.m[3][k]) << k;
  }
  // Away from the dock the pod stands on its own in the world: spread, it
  // is drawn at its root's matrix alone, no longer under node 47.
  // (A frame draws what the previous frame's step placed.)
  pod.behavior.ChangeState(EnemyType6PodBehavior::SPREAD);
  f.Step();
  ASSERT_EQ(pod.behavior.GetState(), EnemyType6PodBehavior::SPREAD);
  const SMatrix placed = *root->GetLocal();
  root->AddPacket(&probe);
  f.Step();
  root->RemovePacket(&probe);
  ASSERT_EQ(probe.seen.size(), 2u);
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(probe.seen[1].m[r][k], placed.m[r][k], 1e-3) << r << k;
}

// The docked pod's world packet sets node 47's matrix as it runs (the
// matrix as it is then, not as it was when entered) and its end packet puts
// back the world matrix it found, so what is drawn after the pod is not
// moved by it.
TEST(Boss06, DockWorldPairSetsTheNodesMatrixAndPutsTheWorldBack) {
  SGpMan::ResetRenderState();
  EnemyType6Pod pod;
  SMatrix node = kIdentityMatrix, before = kIdentityMatrix;
  pod.SetDock(&node);
  before.m[3][0] = 7.0f, before.m[0][1] = 0.5f;
  node.m[3][1] = -3.0f;
  SGpMan::SetWorld(before);
  node.m[3][2] = 11.0f;  // changed after the bind: the packet reads it when it runs
  pod.dockWorld.Execute();
  EXPECT_EQ(SGpMan::GetWorld().m[3][1], -3.0f);
  EXPECT_EQ(SGpMan::GetWorld().m[3][2], 11.0f);
  EXPECT_EQ(SGpMan::GetWorld().m[3][0], 0.0f);
  pod.dockWorldEnd.Execute();
  EXPECT_EQ(SGpMan::GetWorld().m[3][0], 7.0f);
  EXPECT_EQ(SGpMan::GetWorld().m[0][1], 0.5f);
  EXPECT_EQ(SGpMan::GetWorld().m[3][1], 0.0f);
  SGpMan::ResetRenderState();
}

namespace {

using Entries = std::vector<std::pair<int, SGpObj*>>;

// What the process enters into the queue in one draw.
Entries Drawn(SGpMan& gp, SProc* p) {
  gp.GetQueue()->Reset();
  p->SendEvent(SProc::EVENT_DRAW, 0);
  return gp.GetQueue()->Entries();
}

// The fight on until its pods have come, and one frame more.
void RunToPodsIn(Boss6Rig& r) {
  while (r.boss->Script().GetState() != EnemyType6Behavior::STATE_PODS_IN) ASSERT_GT(r.UntilNext(), 0);
  r.m.rig.Run(1);
}

// Under an ambient of 0.5 and light 0 at (0.2, 0.3, 0.4, 1) the colour
// packet sets both to white; the end packet gives both back.
void ExpectWhiteAndBack(FlashColourPacket* c, FlashEndPacket* e) {
  SGpMan::SetAmbient(SGpColour{0.5f, 0.5f, 0.5f, 1.0f});
  SGpMan::SetLightColour(0, SGpColour{0.2f, 0.3f, 0.4f, 1.0f});
  c->Execute();
  const SGpColour& a = SGpMan::GetAmbient();
  const SGpColour& l = SGpMan::GetLightColour(0);
  EXPECT_EQ(std::make_tuple(a.r, a.g, a.b), std::make_tuple(1.0f, 1.0f, 1.0f));
  EXPECT_EQ(std::make_tuple(l.r, l.g, l.b, l.a), std::make_tuple(1.0f, 1.0f, 1.0f, 1.0f));
  e->Execute();
  EXPECT_EQ(std::make_tuple(a.r, a.g, a.b), std::make_tuple(0.5f, 0.5f, 0.5f));
  EXPECT_EQ(std::make_tuple(l.r, l.g, l.b, l.a), std::make_tuple(0.2f, 0.3f, 0.4f, 1.0f));
}

// The pods and arms draw between the flash pair at full white: a pod enters
// its colour packet, its model and its end packet at key 19; an arm sets the
// default key to 19 and enters its colour packet, its model (its image is
// not loaded on the rig) and its end packet at that key. Under an ambient
// of 0.5 and light 0 at (0.2, 0.3, 0.4, 1) the colour packet sets both to
// white; the end packet gives both back.
TEST(Boss06, PodsAndArmsDrawBetweenTheFlashPairAtFullWhite) {
  SGpMan gp;
  gp.SendEvent(SProc::EVENT_INIT, 0);
  {
    Boss6Rig r;
    ASSERT_NE(r.boss, nullptr);
    // The pods' and arms' models: the rig's, for as long as the rig lives.
    struct PartModels {
      explicit PartModels(SRsc_Model* m) {
        for (auto* slot : {&MdlEnemyBs04a, &MdlEnemyBs04b, &MdlEnemyBs04c}) slot->Set(m);
      }
      ~PartModels() {
        for (auto* slot : {&MdlEnemyBs04a, &MdlEnemyBs04b, &MdlEnemyBs04c}) slot->Reset();
      }
    } parts(r.m.model.get());
    ASSERT_NO_FATAL_FAILURE(RunToPodsIn(r));
    auto& s = r.boss->Script();
    for (auto& pod : s.pods)
      EXPECT_EQ(Drawn(gp, &pod), (Entries{{19, &pod.colour}, {19, &pod.model}, {19, &pod.end}}));
    for (auto& arm : s.arms) {
      gp.SetDefaultKey(0);
      EXPECT_EQ(Drawn(gp, &arm), (Entries{{19, &arm.colour}, {19, &arm.model}, {19, &arm.end}}));
      EXPECT_EQ(gp.GetDefaultKey(), 19);
    }
    gp.GetQueue()->Reset();
    ExpectWhiteAndBack(&s.pods[0].colour, &s.pods[0].end);
    ExpectWhiteAndBack(&s.arms[1].colour, &s.arms[1].end);
  }
  gp.SendEvent(SProc::EVENT_DISPOSE, 0);
}

// Both cables draw their dots between one shared flash pair at full white:
// the colour packet, the dotted primitive and the end packet, all at key
// 18, in that order; a hidden cable enters nothing.
TEST(Boss06, CablesDrawTheirDotsBetweenTheSharedPairAtKey18) {
  SGpMan gp;
  gp.SendEvent(SProc::EVENT_INIT, 0);
  {
    Boss6Rig r;
    ASSERT_NE(r.boss, nullptr);
    ASSERT_NO_FATAL_FAILURE(RunToPodsIn(r));
    auto& s = r.boss->Script();
    EnemyType6Cable::SharedStates& pair = EnemyType6Cable::States();
    for (auto& cable : s.cables) {
      ASSERT_EQ(cable.GetState(), SProc::STATE_RUNNING);
      EXPECT_EQ(Drawn(gp, &cable), (Entries{{18, &pair.colour}, {18, &cable.prim}, {18, &pair.end}}));
    }
    s.cables[1].visible = 0;
    EXPECT_EQ(Drawn(gp, &s.cables[1]), Entries{});
    s.cables[1].visible = 1;
    gp.GetQueue()->Reset();
    ExpectWhiteAndBack(&pair.colour, &pair.end);
  }
  gp.SendEvent(SProc::EVENT_DISPOSE, 0);
}

// A probe at the front of key 19 of each frame's draw: the ambient colour
// and light 0's colour under which the pods and arms draw, before their
// pair changes them.
class LightProbe : public SProc {
 public:
  struct Packet : SGpObj {
    void Execute() override {
      ambient = SGpMan::GetAmbient();
      light = SGpMan::GetLightColour(0);
    }
    SGpColour ambient{0.0f, 0.0f, 0.0f, 0.0f}, light{0.0f, 0.0f, 0.0f, 0.0f};
  } packet;

 protected:
  int32_t Draw(SProcArg) override {
    packet.EnterFront(19);
    return 0;
  }
};

// Stage 2's second boss as it plays on the OpenGL device, 10 frames after
// its pods came: the pods on their way back, on an arc above the body, the
// arms out below it. With `neutral`, for the picture's frame the pods' and
// arms' colour packets set the lighting the probe found instead of white,
// as if the pair were not there. The play is the same either way (the
// stage starts from seed 0).
struct PodsShot {
  plat::Image img;
  SGpColour ambient{0.0f, 0.0f, 0.0f, 0.0f};
  int at[7][2] = {};  // the five pods and the two arms on the picture
};
bool PodsPicture(bool neutral, PodsShot* out) {
  testsupport::StageBossFight f(2, true);
  auto* b = dynamic_cast<EnemyType6*>(f.Start(7348.0f, 7346.0f, "Boss04"));
  if (b == nullptr) return false;
  auto* probe = new LightProbe();
  b->AddChild(2, probe, 0);
  SHandle<LightProbe> h(probe);
  auto& s = b->Script();
  for (int k = 0; k < 1000 && s.GetState() != EnemyType6Behavior::STATE_PODS_IN; ++k) f.Step();
  if (s.GetState() != EnemyType6Behavior::STATE_PODS_IN) return false;
  f.Step(9);
  if (h.Get() == nullptr) return false;
  out->ambient = probe->packet.ambient;
  if (neutral) {
    const SGpColour& a = probe->packet.ambient;
    const SGpColour& l = probe->packet.light;
    const float ambient[4] = {a.r, a.g, a.b, a.a};
    for (auto& pod : s.pods) pod.colour.ambient.SetColour(ambient), pod.colour.light.SetColour(0, l);
    for (auto& arm : s.arms) arm.colour.ambient.SetColour(ambient), arm.colour.light.SetColour(0, l);
  }
  f.Step();
  // The picture shows this frame's drawing after one more step.
  for (int i = 0; i < 7; ++i) {
    float q[4];
    ProjectToScreen(i < 5 ? s.pods[i].HitPosition() : s.arms[i - 5].position, q);
    out->at[i][0] = testsupport::PlayPx(q[0]), out->at[i][1] = testsupport::PlayPy(q[1]);
  }
  f.Step();
  return f.W().H().Screenshot(&out->img);
}

// The pods and arms drawn at full light: under the layers' ambient (0.7 at
// their key on this stage), the same frame drawn with their pair neutral is
// darker within 30 pixels of each pod and 50 of each arm, and nowhere else
// different.
TEST(Boss06, PictureOfPodsAndArmsAtFullLight) {
  PodsShot lit, plain;
  ASSERT_TRUE(PodsPicture(false, &lit));
  ASSERT_TRUE(PodsPicture(true, &plain));
  EXPECT_LT(lit.ambient.r, 0.9f);
  const auto sum = [](uint32_t p) { return int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF); };
  int darker = 0, elsewhere = 0;
  int near[7] = {};
  for (int y = 0; y < lit.img.height; ++y)
    for (int x = 0; x < lit.img.width; ++x) {
      const int d = sum(testsupport::PixelAt(lit.img, x, y)) - sum(testsupport::PixelAt(plain.img, x, y));
      if (d < -24) ++darker;
      if (d <= 24) continue;
      int i = 0;
      for (; i < 7; ++i) {
        const int r = i < 5 ? 30 : 50;
        if (std::abs(x - lit.at[i][0]) <= r && std::abs(y - lit.at[i][1]) <= r) break;
      }
      ++(i < 7 ? near[i] : elsewhere);
    }
  EXPECT_EQ(darker, 0);
  for (int i = 0; i < 7; ++i) EXPECT_GT(near[i], 50) << i;
  EXPECT_EQ(elsewhere, 0);
}

}  // namespace
