// Boss type 7 on the enemy rig with a 68-node model: its fight's states over
// frames, the storm's light, its thunder, its rand draws and both ends of
// the fight (defeat and time up), the companion ending the body.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <vector>

#include "boss_fight.h"
#include "boss_stage.h"
#include "gen_expect.h"
#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EThunderGen.h"
#include "game/enemy/boss07/EnemyType7.h"
#include "game/enemy/boss07/BossPartsObjectT7.h"
#include "game/tables/enemy_tables.h"
#include "model_rig.h"
#include "platform/crt_rand.h"
#include "support/BossFight.h"
#include "support/SoundProbe.h"
#include "support/WeaponRig.h"
#include "vrax/graphic/SGpMan.h"

namespace {

// rand draws between two generator states.
int Draws(uint32_t from, uint32_t to) {
  for (int n = 0; n < 100000; ++n, from = from * 214013u + 2531011u)
    if (from == to) return n;
  return -1;
}

struct Boss7Rig {
  explicit Boss7Rig(int32_t limit = 100000) {
    m.model = enemytest::GrownModel(68);
    m.modelSlot.Set(m.model.get());
    EnemyParam& p = m.rig.Param(1, "Boss05", 7, 500, 70000, 60.0f);
    p.defeatMode = 3, p.chainFrameLimit = limit, p.routeTableId = 1;
    RouteTable t{1, {}};
    for (int i = 0; i < 31; ++i) t.entries.push_back(RouteEntry{0, 0.0f, 5.0f, 0, 1.0f});
    m.rig.script.routeTables.push_back(t);
    m.rig.Spawn(0.0f, 1, 0, 0.0f, -150.0f);
    if (m.Load()) boss = dynamic_cast<EnemyType7*>(g_EnemySet.SpawnAt(0));
  }
  // Runs until the script's state changes; the frames it took (-1 past limit).
  int UntilNext(int limit = 2000) {
    const int32_t s = boss->Script().GetState();
    for (int f = 1; f <= limit; ++f) {
      m.rig.Run(1);
      if (boss->Script().GetState() != s) return f;
    }
    return -1;
  }
  enemytest::ModelRig m;
  EnemyType7* boss = nullptr;
};

TEST(Boss07, FightsThroughItsCycleUnderTheStormAndThunder) {
  plat::SRand(0);
  EnemyType7Storm::ForgetClapValue();
  Boss7Rig r;
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(r.boss->clapPeriod, 480);  // the first clap at its frame 480
  Game& game = r.m.rig.weapons.game;
  // The storm darkens both stage lights from 0.9 by 0.005 a frame (the
  // rig's first frame starts the spawned boss, its 51st frame is run 52).
  r.m.rig.Run(52);
  EXPECT_FLOAT_EQ(game.Ambient10().Get().r, 0.65f);
  EXPECT_FLOAT_EQ(game.LightA().GetColour(0).g, 0.65f);
  // Entrance 271 frames, body off; then sway (301), return (81), sweep
  // (301), return, barrage (361), return, comets (911), return, sweep.
  EXPECT_EQ(r.boss->body.disabled, 1);
  const uint32_t before = plat::RandSeed();
  EXPECT_EQ(r.UntilNext(), 272 - 51);  // entered on its 272nd frame
  EXPECT_EQ(r.boss->body.disabled, 0);
  const std::vector<int32_t> states = {100000, 2, 100000, 4, 100000, 3, 100000, 2};
  const std::vector<int> lengths = {301, 81, 301, 81, 361, 81, 911, 81};
  bool bolts = false;
  for (size_t i = 0; i < states.size(); ++i) {
    if (i == 2) {
      // The sweep: four thunder generators on the boss's own manager.
      r.m.rig.Run(30);
      bolts = r.boss->Script().thunder.Bolts().Count() > 0;
      EXPECT_EQ(r.UntilNext() + 30, lengths[i]) << i;
    } else {
      EXPECT_EQ(r.UntilNext(), lengths[i]) << i;
    }
    EXPECT_EQ(r.boss->Script().GetState(), states[i]) << i;
  }
  EXPECT_TRUE(bolts);
  // The body clapped at frames 480 and later: the storm flashed.
  EXPECT_NE(r.boss->clapPeriod, 480);
  EXPECT_GT(Draws(before, plat::RandSeed()), 0);
}

// The thunder generators of the boss's own manager in child list 0 of p.
std::vector<EThunderGen*> LiveThunder(SProc* p) {
  std::vector<EThunderGen*> r;
  for (SProc* c = p->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    if (auto* g = dynamic_cast<EThunderGen*>(c); g != nullptr && c->GetState() < SProc::STATE_KILLED) r.push_back(g);
  return r;
}

struct BoltWant {
  float length, aFrom, aTo, bFrom, bTo, v1, v2;
  int32_t v3, word, count, period, delay;
};

void ExpectThunder(const EThunderGen& g, const BoltWant& w) {
  EXPECT_FLOAT_EQ(g.width, w.length);
  EXPECT_FLOAT_EQ(g.startFrom, w.aFrom);
  EXPECT_FLOAT_EQ(g.startTo, w.aTo);
  EXPECT_FLOAT_EQ(g.endFrom, w.bFrom);
  EXPECT_FLOAT_EQ(g.endTo, w.bTo);
  EXPECT_FLOAT_EQ(g.turnTime, w.v1);
  EXPECT_FLOAT_EQ(g.speed, w.v2);
  EXPECT_EQ(g.tips, w.v3);
  EXPECT_EQ(g.tipPeriod, w.word);
  EXPECT_EQ(g.bolts, w.count);
  EXPECT_EQ(g.boltPeriod, w.period);
  EXPECT_FLOAT_EQ(g.offsetX, 0.0f);
  EXPECT_FLOAT_EQ(g.offsetY, 0.0f);
  EXPECT_EQ(g.delay, w.delay);
}

// Each attack's generators and thunder with their values, on the frame
// they are made: the sway's two option streams on entry and 8 x 3 from
// the body at its frame 90 (its counter starts at 85); the sweep's four
// thunder generators and its twin shots (code 0x204 at 0.01k and
// 0.01k + 0.5, k counting frames, on frames 0, 3, ..., 267); the comets'
// generator on entry and 4 x 2 at frame 80; the barrage's generator and
// 3 x 2 thunder generators at frame 0.
TEST(Boss07, GeneratorsThunderAndShotsOfEachAttack) {
  using enemytest::ExpectGen;
  using enemytest::LiveGens;
  Boss7Rig r;
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  while (s.GetState() != EnemyType7Behavior::STATE_SWAY) ASSERT_GT(r.UntilNext(), 0);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 2u);
    ExpectGen(*g[0], ShotTuple{0x101, 5, 0x20a, 0x20a, 0.375f, -0.02f, -0.02f, 4.2f, 4.2f, 1, 0, 1, 0, 4, 2000, 0, 0,
                               0, 0, 0, 0, 1.0f, -1, -1, 0});
    ExpectGen(*g[1], ShotTuple{0x101, 5, 0x20a, 0x20a, 0.125f, 0.02f, 0.02f, 4.2f, 4.2f, 1, 0, 1, 0, 4, 2000, 0, 0, 0,
                               0, 0, 0, 1.0f, -1, -1, 0});
  }
  EXPECT_EQ(s.frame, 86);
  r.m.rig.Run(4);
  EXPECT_EQ(LiveGens(r.boss).size(), 2u);
  r.m.rig.Run(1);
  ASSERT_EQ(s.frame, 91);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 2u + 24u);
    for (int i = -3; i <= 4; ++i) {
      SCOPED_TRACE(i);
      const float a = 0.125f * float(i) + 0.25f;
      const size_t at = 2 + 3 * size_t(i + 3);
      ExpectGen(*g[at], ShotTuple{0x101, 5, 0x20a, 0x20a, 0, a, 0.125f * float(i) + 0.32f, 3.0f, 1.5f, 1, 0, 1, 0, 0,
                                  6, 0, 0, 0, 0, 0, 0, 0, -1, -1, 0});
      ExpectGen(*g[at + 1], ShotTuple{0x101, 5, 0x20a, 0x20a, 0, a, a - 0.07f, 3.0f, 1.5f, 1, 0, 1, 0, 0, 6, 0, 0, 0,
                                      0, 0, 0, 0, -1, -1, 0});
      ExpectGen(*g[at + 2], ShotTuple{0x10804, 5, 0x204, 0x204, 0, 0, 0, 5.0f, 5.0f, 33, 1.0f, 1, 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 2.0f, -1, -1, 0});
    }
  }
  // The sweep, entered at once.
  if (SProcList* l = r.boss->GetList(0)) l->KillAll(0);
  r.boss->everyCounter = 0;
  s.ChangeState(EnemyType7Behavior::STATE_SWEEP);
  int twins = 0;
  for (int k = 0; k < 300; ++k) {
    EShotMan::ClearAll(0);
    const int32_t frame = s.GetState() == EnemyType7Behavior::STATE_SWEEP ? s.frame : 0;
    r.m.rig.Run(1);
    ASSERT_EQ(s.GetState(), EnemyType7Behavior::STATE_SWEEP);
    if (k == 0) {
      const auto t = LiveThunder(r.boss);
      ASSERT_EQ(t.size(), 4u);
      for (int i = 0; i <= 3; ++i) {
        const float a = 0.25f * float(i) + 0.125f;
        ExpectThunder(*t[size_t(i)], BoltWant{20.0f, a, a - 0.25f, a, a - 0.25f, 50.0f, 6.0f, 5, 5, 10, 25, 0});
      }
    }
    const int32_t f = k == 0 ? 0 : frame;
    std::vector<float> got;
    for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) {
      const auto* shot = reinterpret_cast<const EShot*>(b->power);
      EXPECT_EQ(shot->batch << 8 | shot->kind, 0x204);
      got.push_back(shot->baseAngle);
    }
    if (f <= 269 && f % 3 == 0) {
      ++twins;
      ASSERT_EQ(got.size(), 2u) << f;
      std::sort(got.begin(), got.end());
      EXPECT_NEAR(got[0], 0.01f * float(f), 1e-5f) << f;
      EXPECT_NEAR(got[1], 0.01f * float(f) + 0.5f, 1e-5f) << f;
    } else {
      EXPECT_TRUE(got.empty()) << f;
    }
  }
  EXPECT_EQ(twins, 90);
  // The comets.
  if (SProcList* l = r.boss->GetList(0)) l->KillAll(0);
  r.boss->everyCounter = 0;
  s.ChangeState(EnemyType7Behavior::STATE_COMETS);
  r.m.rig.Run(1);
  ASSERT_EQ(s.GetState(), EnemyType7Behavior::STATE_COMETS);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x101, 5, 0x204, 0x204, 0, 0, 0, 3.0f, 6.0f, 32, 1.0f, 1, 0, 30, 40, 0, 0, 0, 0, 0, 1,
                               0, -1, -1, 30});
  }
  while (s.frame <= 80) r.m.rig.Run(1);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_GE(g.size(), 8u);
    const size_t first = g.size() - 8;
    for (int i = 0; i <= 3; ++i) {
      SCOPED_TRACE(i);
      const float a = 0.25f * float(i) + 0.25f, b = 0.25f * float(i + 1);
      ExpectGen(*g[first + 2 * size_t(i)], ShotTuple{0x101, 5, 0x20a, 0x20a, 0, a, a + 0.06f, 6.0f, 4.0f, 1, 0, 1, 0,
                                                     2, 7, 1, 8, 0, 0, 0, 1, 0, -1, -1, 30});
      ExpectGen(*g[first + 2 * size_t(i) + 1], ShotTuple{0x101, 5, 0x20a, 0x20a, 0, b, b - 0.06f, 6.0f, 4.0f, 1, 0, 1,
                                                         0, 2, 7, 1, 8, 0, 0, 0, 0, 0, -1, -1, 30});
    }
  }
  // The barrage.
  if (SProcList* l = r.boss->GetList(0)) l->KillAll(0);
  r.boss->everyCounter = 0;
  s.ChangeState(EnemyType7Behavior::STATE_BARRAGE);
  r.m.rig.Run(1);
  ASSERT_EQ(s.GetState(), EnemyType7Behavior::STATE_BARRAGE);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x40824, 5, 0x204, 0x203, 0, 0.25f, 1.25f, 2.5f, 1.5f, 8, 1.0f, 1, 0, 10, 10, 100, 30,
                               0, 0, 0, 0, 60.0f, -1, -1, 0});
    const auto t = LiveThunder(r.boss);
    ASSERT_EQ(t.size(), 6u);
    for (int d = 0; d < 3; ++d) {
      SCOPED_TRACE(d);
      ExpectThunder(*t[size_t(2 * d)], BoltWant{20.0f, 0.25f, 0.7f, -0.05f, 0.4f, 80.0f, 7.0f, 5, 5, 10, 30, 30 * d});
      ExpectThunder(*t[size_t(2 * d + 1)],
                    BoltWant{20.0f, 0.25f, -0.2f, 0.55f, 0.1f, 80.0f, 7.0f, 5, 5, 10, 30, 30 * d});
    }
  }
}

// Stage 2's last boss as it plays: voice 26 on entering the sway, 27 the
// sweep, 29 the barrage, 28 the comets; at its defeat the four are stopped
// and voice 31 or 32 plays.
TEST(Boss07, VoicesOfItsStatesAndItsDefeat) {
  testsupport::BossFight f(2, 107);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType7*>(f.Boss());
  for (int k = 0; k < 200 && boss == nullptr; ++k) {
    f.Step();
    boss = dynamic_cast<EnemyType7*>(f.Boss());
  }
  ASSERT_NE(boss, nullptr);
  auto& s = boss->Script();
  SRsc* vo = testsupport::VoiceBank();
  ASSERT_NE(vo, nullptr);
  const std::pair<int32_t, int32_t> voices[4] = {{EnemyType7Behavior::STATE_SWAY, 26},
                                                 {EnemyType7Behavior::STATE_SWEEP, 27},
                                                 {EnemyType7Behavior::STATE_BARRAGE, 29},
                                                 {EnemyType7Behavior::STATE_COMETS, 28}};
  for (const auto& [state, voice] : voices) {
    SCOPED_TRACE(voice);
    for (int32_t v = 26; v <= 29; ++v) testsupport::MarkSound(vo, v);
    if (state != EnemyType7Behavior::STATE_SWAY) s.ChangeState(state);
    for (int k = 0; k < 400 && s.GetState() != state; ++k) {
      EXPECT_FALSE(testsupport::SoundPlayed(vo, voice));
      f.Step();
    }
    ASSERT_EQ(s.GetState(), state);
    for (int32_t v = 26; v <= 29; ++v) EXPECT_EQ(testsupport::SoundPlayed(vo, v), v == voice) << v;
  }
  for (int32_t v = 26; v <= 29; ++v) testsupport::LoopSound(vo, v);
  testsupport::MarkSound(vo, 31);
  testsupport::MarkSound(vo, 32);
  boss->SendEvent(kHitEventDefeated, 0);
  f.Step();
  ASSERT_EQ(s.GetState(), EnemyBase::SCRIPT_DEFEATED);
  for (int32_t v = 26; v <= 29; ++v) EXPECT_FALSE(testsupport::SoundPlaying(vo, v)) << v;
  EXPECT_NE(testsupport::SoundPlayed(vo, 31), testsupport::SoundPlayed(vo, 32));
  for (int32_t v = 26; v <= 29; ++v) testsupport::StopSound(vo, v);
}

// Two fights from a stage start draw the same numbers: the clap value is
// drawn afresh in each. The storm's first 100 frames draw nothing.
TEST(Boss07, TwoPlaysFromAStageStartDrawAlike) {
  int counts[2] = {};
  for (int& n : counts) {
    Boss7Rig r;
    ASSERT_NE(r.boss, nullptr);
    r.m.rig.weapons.game.ResetStageState();
    const uint32_t s0 = plat::RandSeed();
    r.m.rig.Run(101);
    EXPECT_EQ(Draws(s0, plat::RandSeed()), 0);
    r.m.rig.Run(1);  // the storm's 101st frame arms its wait: one draw
    EXPECT_EQ(Draws(s0, plat::RandSeed()), 1);
    r.m.rig.Run(600);
    n = Draws(s0, plat::RandSeed());
  }
  EXPECT_EQ(counts[0], counts[1]);
}

TEST(Boss07, DefeatPlaysTheShowAndEndsTheBodyAtFrame560) {
  Boss7Rig r;
  ASSERT_NE(r.boss, nullptr);
  SHandle<EnemyType7> h(r.boss);
  r.m.rig.Run(300);
  r.boss->SendEvent(kHitEventDefeated, 0);
  r.m.rig.Run(1);
  ASSERT_EQ(r.boss->Script().GetState(), EnemyBase::SCRIPT_DEFEATED);
  // Storm and thunder ended with the other children; the companion runs.
  EXPECT_NE(r.boss->Storm().GetState(), SProc::STATE_RUNNING);
  EXPECT_NE(r.boss->Script().thunder.GetState(), SProc::STATE_RUNNING);
  EXPECT_NE(r.boss->FindFirst("BossPartsObjectT7"), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 1);
  const float level = r.m.rig.weapons.game.Ambient10().Get().r;
  r.m.rig.Run(560);
  ASSERT_NE(LiveProc(h), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 1);
  r.m.rig.Run(1);  // the companion's frame 560
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 0);
  r.m.rig.Run(1);
  // The stage keeps the light the storm left at the defeat (the stage's own
  // end gives it back).
  EXPECT_FLOAT_EQ(r.m.rig.weapons.game.Ambient10().Get().r, level);
}

// The shots of code 0x20a now flying, counted from a cleared screen.
int SwayShots() {
  int n = 0;
  for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) {
    const auto* shot = reinterpret_cast<const EShot*>(b->power);
    n += (shot->batch << 8 | shot->kind) == 0x20a;
  }
  return n;
}

// The sway's two satellite streams (2000 volleys each, one every 4 frames)
// end with the sway: from the return's first frame no generator of the
// sway lives, and neither the return nor the sweep after it fires a shot
// of the streams' code 0x20a (the sweep's own are 0x204).
TEST(Boss07, TheSwaysStreamsEndWithTheSway) {
  Boss7Rig r;
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  while (s.GetState() != EnemyType7Behavior::STATE_SWAY) ASSERT_GT(r.UntilNext(), 0);
  // The streams fire on: a frame of the sway shows new shots of theirs.
  int swayShots = 0;
  for (int i = 0; i < 8; ++i) {
    EShotMan::ClearAll(0);
    r.m.rig.Run(1);
    swayShots += SwayShots();
  }
  EXPECT_GE(swayShots, 2 * 2);
  ASSERT_EQ(r.UntilNext(), 301 - 8);
  ASSERT_EQ(s.GetState(), EnemyBase::SCRIPT_RELEASED);
  EXPECT_TRUE(enemytest::LiveGens(r.boss).empty());
  std::vector<int32_t> states;
  int later = 0;
  for (int i = 0; i < 81 + 120; ++i) {
    EShotMan::ClearAll(0);
    r.m.rig.Run(1);
    later += SwayShots();
    if (states.empty() || states.back() != s.GetState()) states.push_back(s.GetState());
  }
  EXPECT_EQ(states, (std::vector<int32_t>{EnemyBase::SCRIPT_RELEASED, EnemyType7Behavior::STATE_SWEEP}));
  EXPECT_EQ(later, 0);
}

TEST(Boss07, TimeUpAtTheSwaysEndIsAnUncountedDefeat) {
  Boss7Rig r(400);
  ASSERT_NE(r.boss, nullptr);
  const int32_t defeats = StageDefeatCount;
  EXPECT_EQ(r.UntilNext(), 273);
  EXPECT_EQ(r.UntilNext(), 301);
  EXPECT_EQ(r.boss->Script().GetState(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, defeats);
}

// Stage 2's last boss from its record, shot down by the Player: the stage
// is told at the companion's frame 320, the body ends at its frame 560,
// the timeline runs on and the stage ends.
TEST(Boss07, ShotDownItEndsStageTwo) {
  testsupport::BossFight f(2, 107);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  ASSERT_NE(f.Boss(), nullptr);
  f.world.stageMayEnd = true;
  const auto end = f.ShootDown(30, 3000);
  ASSERT_GT(end.defeated, 0);
  EXPECT_EQ(end.told - end.defeated, 321);
  EXPECT_EQ(end.ended - end.defeated, 561);
  EXPECT_EQ(g_EnemySet.paused, 0);
  for (int k = 0; k < 900 && f.world.G()->GetSceneId() != SCENE_STAGE_RESULT; ++k) f.Step();
  EXPECT_EQ(f.world.G()->GetSceneId(), SCENE_STAGE_RESULT);
}

// Mid-fight on stage 1's scenery: the boss sweeps its thunder while the
// storm holds the stage at level 0.4. 110 frames into the sweep: its four
// thunder generators (ten bolts 25 frames apart each) all run, and the twin
// counter has counted every frame.
TEST(Boss07, PictureOfTheSweepUnderTheStorm) {
  const auto model = enemytest::GrownModel(68);
  enemytest::BossPicture p(2, 107, &MdlEnemyBs05, model.get());
  auto* boss = dynamic_cast<EnemyType7*>(p.boss);
  ASSERT_NE(boss, nullptr);
  boss->Script().ChangeState(EnemyType7Behavior::STATE_SWEEP);
  p.world->Step(110);
  EXPECT_EQ(boss->Script().GetState(), EnemyType7Behavior::STATE_SWEEP);
  EXPECT_EQ(boss->Script().twinCounter, boss->Script().frame);
  EXPECT_EQ(boss->Script().frame, 110);
  int thunder = 0;
  for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    thunder += dynamic_cast<EThunderGen*>(c) != nullptr && c->GetState() < SProc::STATE_KILLED;
  EXPECT_EQ(thunder, 4);
  EXPECT_FLOAT_EQ(p.world->G()->Ambient10().Get().r, 0.4f);
  EXPECT_GT(boss->Script().thunder.Tips().Count(), 0);
  EXPECT_TRUE(p.Matches("boss07_storm.png"));
}

// The defeat show's own handler, one frame at a time (stopped long before
// the frame that ends its parent).
class ShowFrames7 : public BossPartsObjectT7 {
 public:
  using BossPartsObjectT7::BossPartsObjectT7;
  void Frame() { User(kCodeMain, 0); }

 protected:
  int32_t Main(SProcArg) override { return 0; }
};

// The show on the stage's boss model, set up (code 7) and run by hand.
struct ShowRig {
  ShowRig() {
    if (!stage.ok || model.Bind(stage.mdl.get()) != 0) return;
    show = new ShowFrames7(&model);
    rig.Adopt(show);
  }
  testsupport::WeaponRig rig;
  bossfight::BossStage stage{2, "osr_bs05", 65536};
  ModelInstance model;
  ShowFrames7* show = nullptr;
};

using Rot3 = std::array<std::array<double, 3>, 3>;

// The rotation of `turns` about axis X (0) or Z (2), rows as the engine
// keeps them (a row vector times the matrix).
Rot3 Turn(int axis, double turns) {
  const double c = std::cos(2.0 * M_PI * turns), s = std::sin(2.0 * M_PI * turns);
  Rot3 r = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  const int i0 = axis == 0 ? 1 : 0, i1 = axis == 0 ? 2 : 1;
  r[i0][i0] = c, r[i0][i1] = s, r[i1][i0] = -s, r[i1][i1] = c;
  return r;
}

Rot3 Times(const Rot3& a, const Rot3& b) {
  Rot3 o{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) o[i][j] += a[i][k] * b[k][j];
  return o;
}

// The wreck's parts shrink to nothing by step: nodes 18, 26, 35 and 5 from
// the first frame, 15 from count 90, 40 and 56 from 275, each kept. At 275
// the wreck's root turns to 0.445927 turn about X and 0.213034 about Z, and
// on every frame of [275, 440] further by 0.013 - 0.012 cos(2 pi r) about X
// and 0.0105 - 0.0095 cos(4 pi r) about Z (0.001 and 0.001 at r = 0).
TEST(Boss07, DefeatShowShrinksItsPartsByStepAndTurnsTheWreck) {
  ShowRig r;
  ASSERT_NE(r.show, nullptr);
  ModelInstance& model = r.model;
  ShowFrames7* show = r.show;
  const auto gone = [&](int32_t n) {
    const SMatrix* m = model.GetNode(n)->GetLocal();
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        if (m->m[i][j] != 0.0f) return false;
    return true;
  };
  Rot3 want = Times(Turn(2, 0.213034), Turn(0, 0.445927));
  for (int c = 0; c <= 280; ++c) {
    show->Frame();
    for (int32_t n : {18, 26, 35, 5}) EXPECT_TRUE(gone(n)) << c << " " << n;
    EXPECT_EQ(gone(15), c >= 90) << c;
    EXPECT_EQ(gone(40), c >= 275) << c;
    EXPECT_EQ(gone(56), c >= 275) << c;
    EXPECT_FALSE(gone(12)) << c;
    if (c >= 275) {
      const double r = (c - 275) / 165.0;
      want = Times(Turn(0, 0.013 - 0.012 * std::cos(2.0 * M_PI * r)), want);
      want = Times(Turn(2, 0.0105 - 0.0095 * std::cos(4.0 * M_PI * r)), want);
      const SMatrix* m = model.GetRootNode()->GetLocal();
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(m->m[i][j], want[i][j], 1e-4) << c << " " << i << j;
    }
  }
}


std::tuple<float, float, float, float> Rgba(const SGpColour& c) { return {c.r, c.g, c.b, c.a}; }

// The wreck draws between the show's colour pair: its set-up hangs the
// colour packet first on the model's root and the end packet last on the
// last node the tree draws. The pair starts at full white; a node drawn
// between them sees ambient and light 0 white under a dim (0.5, 0.5, 0.5)
// and (0.2, 0.3, 0.4, 1), and both are back after the tree. The first frame
// of the window 0..25 sets red, green and blue to 1 again (alpha kept); the
// frames after it leave the colour alone.
TEST(Boss07, DefeatShowDrawsTheWreckBetweenItsColourPairAtWhite) {
  ShowRig r;
  ASSERT_NE(r.show, nullptr);
  ModelInstance& model = r.model;
  ShowFrames7* show = r.show;
  SGpNode* root = model.GetRootNode();
  SGpNode* last = root->GetLastInTree();
  ASSERT_NE(last, root);
  EXPECT_EQ(root->GetPacket(0), &show->colour);
  EXPECT_EQ(last->GetPacket(last->GetPacketCount() - 1), &show->end);
  const auto white = std::make_tuple(1.0f, 1.0f, 1.0f, 1.0f);
  EXPECT_EQ(Rgba(show->colour.ambient.Colour()), white);
  EXPECT_EQ(Rgba(show->colour.light.GetColour(0)), white);
  struct Probe : SGpObj {
    void Execute() override { ambient = SGpMan::GetAmbient(), light = SGpMan::GetLightColour(0); }
    SGpColour ambient{0.0f, 0.0f, 0.0f, 0.0f}, light{0.0f, 0.0f, 0.0f, 0.0f};
  } probe;
  model.GetNode(12)->AddPacket(&probe);
  SGpMan::SetAmbient(SGpColour{0.5f, 0.5f, 0.5f, 1.0f});
  SGpMan::SetLightColour(0, SGpColour{0.2f, 0.3f, 0.4f, 1.0f});
  model.Execute();
  model.GetNode(12)->RemovePacket(&probe);
  EXPECT_EQ(Rgba(probe.ambient), white);
  EXPECT_EQ(Rgba(probe.light), white);
  EXPECT_EQ(Rgba(SGpMan::GetAmbient()), std::make_tuple(0.5f, 0.5f, 0.5f, 1.0f));
  EXPECT_EQ(Rgba(SGpMan::GetLightColour(0)), std::make_tuple(0.2f, 0.3f, 0.4f, 1.0f));
  static constexpr float kGrey[4] = {0.2f, 0.3f, 0.4f, 0.5f};
  show->colour.SetColour(kGrey);
  show->Frame();  // count 0
  EXPECT_EQ(Rgba(show->colour.ambient.Colour()), std::make_tuple(1.0f, 1.0f, 1.0f, 0.5f));
  EXPECT_EQ(Rgba(show->colour.light.GetColour(0)), std::make_tuple(1.0f, 1.0f, 1.0f, 0.5f));
  show->colour.SetColour(kGrey);
  show->Frame();  // count 1
  EXPECT_EQ(Rgba(show->colour.ambient.Colour()), std::make_tuple(0.2f, 0.3f, 0.4f, 0.5f));
}

}  // namespace
