// Boss type 5 on the enemy rig with a 43-node model: its fight's states
// over frames, its fan emitter's fans, its escape when time is up and its
// defeat show ending the body; then a fight in the whole program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "boss_fight.h"
#include "boss_stage.h"
#include "gen_expect.h"
#include "platform/crt_rand.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/boss05/EnemyType5.h"
#include "game/enemy/boss05/BossPartsObjectT5.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss05/BossSubProc.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/tables/enemy_tables.h"
#include "model_rig.h"
#include "support/BossFight.h"
#include "support/SoundProbe.h"
#include "support/WeaponRig.h"

namespace {

struct Boss5Rig {
  explicit Boss5Rig(int32_t limit = 100000) {
    m.model = enemytest::GrownModel(43);
    m.modelSlot.Set(m.model.get());
    EnemyParam& p = m.rig.Param(1, "Boss03", 5, 300, 50000, 50.0f);
    p.defeatMode = 3, p.chainFrameLimit = limit, p.routeTableId = 1;
    RouteTable t{1, {}};
    for (int i = 0; i < 31; ++i) t.entries.push_back(RouteEntry{0, 0.0f, 10.0f, 0, 1.0f});
    m.rig.script.routeTables.push_back(t);
    m.rig.Spawn(0.0f, 1, 0, 0.0f, -150.0f);
    if (m.Load()) boss = dynamic_cast<EnemyType5*>(g_EnemySet.SpawnAt(0));
    m.rig.Run(1);  // the rig's first frame only starts the boss
  }
  // Frames until the script's state changes (-1 past the limit).
  int UntilNext(int limit = 3000) {
    const int32_t s = boss->Script().GetState();
    for (int f = 1; f <= limit; ++f) {
      m.rig.Run(1);
      if (boss->Script().GetState() != s) return f;
    }
    return -1;
  }
  enemytest::ModelRig m;
  EnemyType5* boss = nullptr;
};

TEST(Boss05, FightsThroughItsAttackCycle) {
  Boss5Rig r;
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(r.boss->body.disabled, 1);
  // Entry: the 90-frame climb, then its 10-frame stretch; the transformation
  // plays two stretches; then the attacks. Lengths of those fixed by frames:
  // the sweep's 360-frame tour, the arcs' 91 frames, the fans' 251, the
  // pairs' 132, and each return home 61.
  std::vector<std::pair<int32_t, int>> trace;
  while (trace.size() < 14) {
    const int n = r.UntilNext();
    ASSERT_GT(n, 0);
    trace.emplace_back(r.boss->Script().GetState(), n);
  }
  const std::vector<int32_t> order = {1, 2, 3, 100000, 4, 5, 100000, 6, 7, 100000, 8, 3, 100000, 4};
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(trace[i].first, order[i]) << i;
  for (size_t i : {3u, 6u, 9u, 12u}) EXPECT_EQ(trace[i + 1].second, 61) << i;
  EXPECT_EQ(trace[2].second, 361);  // the sweep, from state 2's entry
  EXPECT_EQ(trace[5].second, 91);
  EXPECT_EQ(trace[8].second, 251);
  EXPECT_EQ(trace[9].second, 132);
  // After the transformation the body and five thruster bodies take hits.
  EXPECT_EQ(r.boss->body.disabled, 0);
  EXPECT_EQ(HitGroupTable[7].Count(), 6);
}

// The spray's third sub-step runs 280 steps, its volleys only in the first
// 250 (every fifth step), then settles on stretch 17 at a quarter speed.
TEST(Boss05, SprayFiresFor250StepsAndSettlesAt280) {
  Boss5Rig r;
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  while (s.GetState() != EnemyType5Behavior::STATE_SPRAY) ASSERT_GT(r.UntilNext(), 0);
  while (s.step != 2) r.m.rig.Run(1);
  ASSERT_EQ(s.frame, 0);
  int frames = 0;
  while (s.step == 2 && frames < 400) r.m.rig.Run(1), ++frames;
  EXPECT_EQ(frames, 280);
  EXPECT_EQ(r.boss->routeCursorIndex, int32_t(EnemyType5Behavior::SEG_SETTLE));
  EXPECT_FLOAT_EQ(r.boss->animator.speed, 0.25f);
}

// The spray's volleys: every fifth step below 250 (50 volleys), each of
// m = 3 - trunc(-6 u) shots for the volley's first draw u = rand / 32767;
// even shots code 0x203, odd 0x204. The generator volley of state 5: one
// generator A, then 19 x 5 generators B(i, j), 96 in all, with their values.
TEST(Boss05, SprayVolleysAndTheGeneratorBarrage) {
  Boss5Rig r;
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  while (s.GetState() != EnemyType5Behavior::STATE_SPRAY) ASSERT_GT(r.UntilNext(), 0);
  while (s.step != 2) r.m.rig.Run(1);
  ASSERT_EQ(s.frame, 0);
  int volleys = 0;
  std::vector<int> counts, want;
  for (int k = 0; k < 280; ++k) {
    EShotMan::ClearAll(0);
    const uint32_t seed = 12345u + 7919u * uint32_t(k);
    plat::SRand(seed);
    const int32_t step = s.frame;
    r.m.rig.Run(1);
    std::vector<int32_t> codes;  // batch << 8 | kind
    for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) {
      const auto* shot = reinterpret_cast<const EShot*>(b->power);
      codes.push_back(shot->batch << 8 | shot->kind);
    }
    if (codes.empty()) {
      EXPECT_FALSE(step < 250 && step % 5 == 0) << step;
      continue;
    }
    EXPECT_TRUE(step < 250 && step % 5 == 0) << step;
    ++volleys;
    const uint32_t next = seed * 214013u + 2531011u;
    const float u = float((next >> 16) & 0x7FFF) / 32767.0f;
    want.push_back(3 - int(-6.0f * u));
    counts.push_back(int(codes.size()));
    int even = 0;
    for (int32_t c : codes) even += c == 0x203;
    EXPECT_EQ(even, (int(codes.size()) + 1) / 2) << step;
  }
  EXPECT_EQ(volleys, 50);
  EXPECT_EQ(counts, want);
  EXPECT_EQ(s.step, 3);
  // State 5: the 96 generators on muzzle 36 in the frame its fire stretch
  // starts.
  while (s.GetState() != EnemyType5Behavior::STATE_VOLLEY) ASSERT_GT(r.UntilNext(), 0);
  while (s.step != 2) r.m.rig.Run(1);
  const std::vector<EShotGen*> gens = enemytest::LiveGens(r.boss);
  ASSERT_EQ(gens.size(), 96u);
  enemytest::ExpectGen(*gens[0], ShotTuple{0x101, 5, 0x204, 0x204, 0, 0, 0, 9.0f, 9.0f, 19, 1.0f, 1, 0, 2, 2000, 0,
                                           0, 0, 0, 0, 0, 0, -1, -1, 30});
  for (int i = 0; i <= 18; ++i)
    for (int j = 0; j <= 4; ++j) {
      SCOPED_TRACE(i * 10 + j);
      enemytest::ExpectGen(*gens[size_t(1 + 5 * i + j)],
                           ShotTuple{0x101, 5, 0x203, 0x203, float(i) / 19.0f, 0, 0, 3.0f, 3.0f, 1, 0, 2,
                                     25.0f + 22.0f * float(j), 60, 3, 0, 0, 0, 0, 0, 0, i % 2 == 0 ? 40.0f : 10.0f,
                                     -1, -1, 0});
    }
  for (EShotGen* g : {gens[0], gens[95]})
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(g->OwnerPosition()[i], s.muzzle36[i]) << i;
}

// Shots now flying of batch << 8 | kind `code`: (angle, speed), sorted.
std::vector<std::pair<float, float>> Flying(int32_t code) {
  std::vector<std::pair<float, float>> r;
  for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) {
    const auto* shot = reinterpret_cast<const EShot*>(b->power);
    if ((shot->batch << 8 | shot->kind) == code) r.emplace_back(shot->angle, shot->speed);
  }
  std::sort(r.begin(), r.end());
  return r;
}

// State 6: a fan emitter at steps 0, 90 and 180 (code 0x200, aimed from its
// origin at the player, speed 4.0, count 18, spread 0.12). State 7: the
// generator C at step 0; the left arm's pairs (code 0x203, speeds 3.2 and
// 3.7) at 0.75 - 0.65u on steps 40 to 70 and the right arm's at
// 0.65u - 0.25 on steps 91 to 121, u = min(n / 30, 1) for the arm's n-th
// step. State 8: a shot of code 0x509 at speed 5 every 8 steps at
// 0.12 + 0.26t, then 0.38 - 0.26t, t = step / 60.
TEST(Boss05, FanEmittersArmPairsAndFlames) {
  Boss5Rig r;
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  while (s.GetState() != EnemyType5Behavior::STATE_FANS) ASSERT_GT(r.UntilNext(), 0);
  std::vector<int32_t> made;
  int32_t step = 0;
  for (int k = 0; k < 400 && s.GetState() == EnemyType5Behavior::STATE_FANS; ++k) {
    for (SProc* c = r.boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c)) {
      auto* f = dynamic_cast<BossSubProc*>(c);
      if (f == nullptr || c->GetState() >= SProc::STATE_KILLED || f->fanNumber > 1.0f) continue;
      if (!made.empty() && made.back() >= step - 2) continue;
      made.push_back(step);
      EXPECT_EQ(f->code, 0x200u);
      EXPECT_FLOAT_EQ(f->speed, 4.0f);
      EXPECT_FLOAT_EQ(f->initialCount, 18.0f);
      const float aim = std::atan2(PlayerPos.y - f->origin[1], PlayerPos.x - f->origin[0]) / 6.2831855f;
      EXPECT_NEAR(f->centre, aim, 1e-5f);
    }
    step = s.frame;
    r.m.rig.Run(1);
  }
  EXPECT_EQ(made, (std::vector<int32_t>{0, 90, 180}));
  ASSERT_EQ(s.GetState(), EnemyType5Behavior::STATE_PAIRS);
  {
    const auto g = enemytest::LiveGens(r.boss);
    ASSERT_EQ(g.size(), 1u);
    enemytest::ExpectGen(*g[0], ShotTuple{0x10101, 5, 0x203, 0x203, 0, 0, 0, 3.5f, 3.0f, 23, 0.4f, 1, 0, 0, 3, 0, 0, 0,
                                          0, 0, 0, 0, -1, -1, 0});
  }
  int pairs = 0;
  while (s.GetState() == EnemyType5Behavior::STATE_PAIRS && s.frame < 131) {
    const int32_t k = s.frame;
    EShotMan::ClearAll(0);
    r.m.rig.Run(1);
    const auto got = Flying(0x203);
    const bool left = k >= 40 && k <= 70, right = k >= 91 && k <= 121;
    if (!left && !right) {
      // (Generator C's volley, made at step 0, flies at step 1.)
      if (k > 1) { EXPECT_TRUE(got.empty()) << k; }
      continue;
    }
    ++pairs;
    const float u = std::min(float(left ? k - 40 : k - 91) / 30.0f, 1.0f);
    const float a = left ? 0.75f - 0.65f * u : 0.65f * u - 0.25f;
    ASSERT_EQ(got.size(), 2u) << k;
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(got[size_t(i)].first, a, 1e-5f) << k;
    std::vector<float> v{got[0].second, got[1].second};
    std::sort(v.begin(), v.end());
    EXPECT_NEAR(v[0], 3.2f, 1e-5f) << k;
    EXPECT_NEAR(v[1], 3.7f, 1e-5f) << k;
  }
  EXPECT_EQ(pairs, 62);
  while (s.GetState() != EnemyType5Behavior::STATE_FLAMES) ASSERT_GT(r.UntilNext(), 0);
  // Its first frame (step 0) has fired.
  int flames = 0;
  for (int n = 1; n < 122 && s.GetState() == EnemyType5Behavior::STATE_FLAMES; ++n) {
    const int32_t k = s.frame, sub = s.step;
    EShotMan::ClearAll(0);
    r.m.rig.Run(1);
    const auto got = Flying(0x509);
    if (k % 8 != 0) {
      EXPECT_TRUE(got.empty()) << k;
      continue;
    }
    ++flames;
    const float t = float(k) / 60.0f;
    ASSERT_EQ(got.size(), 1u) << k;
    EXPECT_NEAR(got[0].first, sub == 0 ? 0.12f + 0.26f * t : 0.38f - 0.26f * t, 1e-5f) << k;
    EXPECT_FLOAT_EQ(got[0].second, 5.0f);
  }
  // Steps 8 to 56 of the first sweep (its step 0 fired on the state's first
  // frame) and 0 to 56 of the second.
  EXPECT_EQ(flames, 7 + 8);
}

// Fans of n, n - 1, ..., 2 shots every second frame, spread evenly, the
// middle ones fastest; the second fan 0.11 turns wide. A fan of one is a
// single shot at the centre angle.
TEST(Boss05, FanEmitterNarrowsItsFans) {
  Boss5Rig r;
  ASSERT_NE(r.boss, nullptr);
  static constexpr float kAt[4] = {100.0f, -250.0f, 0.0f, 1.0f};  // clear of the player
  SHandle<BossSubProc> fan(SpawnChild<BossSubProc>(r.boss, 0, 0, kAt, 0x200u, 0.25f, 4.0f, 4, 0.12f));
  r.m.rig.Run(2);  // added outside a frame, it fires from the next one
  std::vector<float> angles;
  for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody())
    angles.push_back(reinterpret_cast<const EShot*>(b->power)->angle);
  ASSERT_EQ(angles.size(), 4u);
  std::sort(angles.begin(), angles.end());
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(angles[size_t(i)], 0.19f + 0.04f * float(i), 1e-5f);
  r.m.rig.Run(2);
  EXPECT_EQ(HitGroupTable[EShotMan::kHitGroup].Count(), 4 + 3);
  EXPECT_NEAR(LiveProc(fan)->spread, 0.11f * (1.0f - std::sin(1.0f / 4.0f * 1.5707964f)), 1e-6f);
  r.m.rig.Run(2);
  EXPECT_EQ(LiveProc(fan), nullptr);  // after its fan of two
  EShotMan::ClearAll(0);
  const BossSubProc one(kAt, 0x200u, 0.3f, 4.0f, 1, 0.12f);
  one.Fan(1);
  ASSERT_EQ(HitGroupTable[EShotMan::kHitGroup].Count(), 1);
  EXPECT_FLOAT_EQ(reinterpret_cast<const EShot*>(HitGroupTable[EShotMan::kHitGroup].Head()->power)->angle, 0.3f);
}

TEST(Boss05, EscapesWhenTimeIsUpAtTheSweepsEnd) {
  Boss5Rig r(200);
  ASSERT_NE(r.boss, nullptr);
  SHandle<EnemyType5> h(r.boss);
  while (r.boss->Script().GetState() != EnemyType5Behavior::STATE_ESCAPE) ASSERT_GT(r.UntilNext(), 0);
  EXPECT_EQ(HitGroupTable[7].Count(), 0);
  r.m.rig.Run(119);
  ASSERT_NE(LiveProc(h), nullptr);
  r.m.rig.Run(1);  // the escape's 121st frame: the climb out has ended
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

// A defeat before the thruster bodies were registered: the show plays its
// 405 frames and ends the body and the arena loop. The wreck as the next
// draw leaves it for the queue: full size before count 200, then scaled by
// 1 - sin(r pi/2), r = (count - 200) / 100: 1 - 0.70711 = 0.29289 at 250,
// nothing at 300.
TEST(Boss05, DefeatInTheEntryEndsTheBodyAtFrame405) {
  Boss5Rig r;
  ASSERT_NE(r.boss, nullptr);
  SHandle<EnemyType5> h(r.boss);
  r.m.rig.Run(20);
  r.boss->SendEvent(kHitEventDefeated, 0);
  r.m.rig.Run(1);
  EXPECT_EQ(r.boss->Script().GetState(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(HitGroupTable[7].Count(), 0);
  BossPartsObjectT5* show = nullptr;
  for (SProc* c = r.boss->GetList(0)->Head(); c != nullptr && show == nullptr; c = SProcList::Next(c))
    show = dynamic_cast<BossPartsObjectT5*>(c);
  ASSERT_NE(show, nullptr);
  const std::vector<std::pair<int32_t, float>> scales = {{199, 1.0f}, {250, 0.29289f}, {300, 0.0f}};
  size_t seen = 0;
  for (int f = 0; f < 405; ++f) {
    r.m.rig.Run(1);
    const int32_t count = show->timer.GetCount() - 1;  // the frame just run
    for (const auto& [at, scale] : scales)
      if (count == at) {
        r.boss->SendEvent(SProc::EVENT_DRAW, 0);
        const float* row = r.boss->PlacementNode()->GetLocal()->m[0];
        EXPECT_NEAR(std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]), scale, 1e-4f) << at;
        ++seen;
      }
  }
  EXPECT_EQ(seen, scales.size());
  ASSERT_NE(LiveProc(h), nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  r.m.rig.Run(1);
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

// Stage 2's first boss from its record, shot down by the Player: the body
// ends at its show's frame 405 and the timeline runs on.
TEST(Boss05, ShotDownInStageTwo) {
  testsupport::BossFight f(2, 105);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  ASSERT_NE(f.Boss(), nullptr);
  const auto end = f.ShootDown(30, 3000);
  ASSERT_GT(end.defeated, 0);
  EXPECT_EQ(end.ended - end.defeated, 406);
  EXPECT_EQ(g_EnemySet.paused, 0);
  EXPECT_EQ(g_MapMng.armed, 0);
}

// Stage 2's first boss as it plays: effect 46 as it comes; effect 14 on
// entering the transformation; effect 55 on entering the spray; effect 10
// and 55 stopped when its fire stretch starts (sub-step 2); 46 stopped at
// its defeat.
TEST(Boss05, SoundsOfItsEntryTransformationSprayAndDefeat) {
  testsupport::BossFight f(2, 105);
  ASSERT_TRUE(f.Start());
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  for (int32_t n : {46, 14, 55, 10}) testsupport::MarkSound(se, n);
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType5*>(f.Boss());
  for (int k = 0; k < 200 && boss == nullptr; ++k) {
    f.Step();
    boss = dynamic_cast<EnemyType5*>(f.Boss());
  }
  ASSERT_NE(boss, nullptr);
  auto& s = boss->Script();
  ASSERT_EQ(s.GetState(), EnemyType5Behavior::STATE_ENTRY);
  EXPECT_TRUE(testsupport::SoundPlayed(se, 46));
  testsupport::LoopSound(se, 46);
  for (int k = 0; k < 2000 && s.GetState() == EnemyType5Behavior::STATE_ENTRY; ++k) {
    EXPECT_FALSE(testsupport::SoundPlayed(se, 14));
    f.Step();
  }
  ASSERT_EQ(s.GetState(), EnemyType5Behavior::STATE_TRANSFORM);
  EXPECT_TRUE(testsupport::SoundPlayed(se, 14));
  s.ChangeState(EnemyType5Behavior::STATE_SPRAY);
  f.Step();
  ASSERT_EQ(s.GetState(), EnemyType5Behavior::STATE_SPRAY);
  EXPECT_TRUE(testsupport::SoundPlayed(se, 55));
  testsupport::LoopSound(se, 55);
  for (int k = 0; k < 2000 && s.step < 2; ++k) {
    EXPECT_FALSE(testsupport::SoundPlayed(se, 10));
    EXPECT_TRUE(testsupport::SoundPlaying(se, 55));
    f.Step();
  }
  ASSERT_EQ(s.step, 2);
  EXPECT_TRUE(testsupport::SoundPlayed(se, 10));
  EXPECT_FALSE(testsupport::SoundPlaying(se, 55));
  EXPECT_TRUE(testsupport::SoundPlaying(se, 46));
  boss->SendEvent(kHitEventDefeated, 0);
  f.Step();
  EXPECT_FALSE(testsupport::SoundPlaying(se, 46));
}

// Mid-sweep on stage 1's scenery: the thruster glows and the sweeping
// effect shots.
TEST(Boss05, PictureOfTheSweep) {
  const auto model = enemytest::GrownModel(43);
  enemytest::BossPicture p(2, 105, &MdlEnemyBs03, model.get());
  auto* boss = dynamic_cast<EnemyType5*>(p.boss);
  ASSERT_NE(boss, nullptr);
  p.world->Step(260);
  EXPECT_EQ(boss->Script().GetState(), EnemyType5Behavior::STATE_SWEEP);
  EXPECT_GT(boss->Script().effectShots.LiveCount(), 0);
  EXPECT_TRUE(p.Matches("boss05_sweep.png"));
}

// The defeat show's own handler, one frame at a time (it is not stepped by
// the rig, and is stopped before the frame that would end its parent).
class ShowFrames5 : public BossPartsObjectT5 {
 public:
  using BossPartsObjectT5::BossPartsObjectT5;
  void Frame() { User(kCodeMain, 0); }

 protected:
  int32_t Main(SProcArg) override { return 0; }
};

// The wreck's parts hidden by phase (node 0 from count 80, 9 from 120, 21
// and 23 from 145, each kept hidden, and only they) and its core's ambient colour over
// [200, 300]: with t = sin(r pi/2), (0.5 - 0.25t, 0.5 + 0.5t, 0.5 - 0.5t):
// grey (0.5, 0.5, 0.5) at 200, (0.3232, 0.8536, 0.1464) at 250 (t = 0.7071),
// green (0.25, 1.0, 0.0) at 300.
TEST(Boss05, DefeatShowHidesPartsByPhaseAndTurnsTheCoreGreen) {
  testsupport::WeaponRig rig;
  bossfight::BossStage stage(2, "osr_bs03", 65536);
  ASSERT_TRUE(stage.ok);
  ModelInstance model;
  ASSERT_EQ(model.Bind(stage.mdl.get()), 0);
  auto* show = new ShowFrames5(&model);
  rig.Adopt(show);
  const auto hidden = [&](int32_t n) {
    const SMatrix* m = model.GetNode(n)->GetLocal();
    return m->m[0][0] == 0.0f && m->m[1][1] == 0.0f && m->m[2][2] == 0.0f;
  };
  struct Colour {
    int count;
    float r, g, b;
  };
  const std::vector<Colour> colours = {{200, 0.5f, 0.5f, 0.5f}, {250, 0.32322f, 0.85355f, 0.14645f}, {300, 0.25f, 1.0f, 0.0f}};
  // A node shows while neither it nor an ancestor is hidden: the hidden
  // parts go, the rest of the wreck stays (the stand-in's 43 pieces less 4).
  const auto showing = [&] {
    int n = 0;
    for (int32_t i = 0; i < model.NodeCount(); ++i) {
      bool shown = model.GetNode(i)->GetPacketCount() > 0;
      for (SGpNode* a = model.GetNode(i); a != nullptr && shown; a = a->GetParent())
        shown = a->GetLocal()->m[0][0] != 0.0f;
      n += shown ? 1 : 0;
    }
    return n;
  };
  EXPECT_EQ(showing(), 43);
  for (int c = 0; c <= 300; ++c) {
    show->Frame();
    if (c == 150) {
      EXPECT_EQ(showing(), 39);
    }
    EXPECT_EQ(hidden(0), c >= 80) << c;
    EXPECT_EQ(hidden(9), c >= 120) << c;
    EXPECT_EQ(hidden(21), c >= 145) << c;
    EXPECT_EQ(hidden(23), c >= 145) << c;
    EXPECT_FALSE(hidden(17)) << c;
    for (const Colour& w : colours)
      if (w.count == c) {
        const SGpColour& k = show->ambient.Get();
        EXPECT_NEAR(k.r, w.r, 1e-4f) << c;
        EXPECT_NEAR(k.g, w.g, 1e-4f) << c;
        EXPECT_NEAR(k.b, w.b, 1e-4f) << c;
      }
  }
}

// The last blast, at count 340, is centred on the wreck: the arc start is
// the top node's place (the boss's) projected at 512, then 20 lower, and the
// rings of [340, 360] stand about it. So for a boss shot down at home and
// for one shot down on its sweep, away from home.
TEST(Boss05, LastBlastCentredOnTheWreckAtHomeAndAway) {
  for (const bool away : {false, true}) {
    testsupport::BossFight f(2, 105);
    ASSERT_TRUE(f.Start());
    f.Step(2);
    auto* boss = dynamic_cast<EnemyType5*>(f.Boss());
    for (int k = 0; k < 300 && boss == nullptr; ++k) {
      f.Step();
      boss = dynamic_cast<EnemyType5*>(f.Boss());
    }
    ASSERT_NE(boss, nullptr);
    auto& s = boss->Script();
    const int32_t state = away ? EnemyType5Behavior::STATE_SWEEP : EnemyType5Behavior::STATE_TRANSFORM;
    for (int k = 0; k < 3000 && s.GetState() != state; ++k) f.Step();
    ASSERT_EQ(s.GetState(), state);
    for (int k = 0; k < 200 && away && std::fabs(boss->GetPosition()[0]) < 60.0f; ++k) f.Step();
    boss->SendEvent(kHitEventDefeated, 0);
    f.Step();
    auto* show = bossfight::FirstChildOf<BossPartsObjectT5>(boss);
    ASSERT_NE(show, nullptr);
    while (show->timer.GetCount() <= 340) f.Step();
    const float* p = boss->GetPosition();
    if (away) {
      EXPECT_GT(std::fabs(p[0]), 60.0f);
    }
    const float k = 512.0f / (512.0f + p[2]);
    EXPECT_NEAR(show->arcStart[0], p[0] * k, 0.5f) << away;
    EXPECT_NEAR(show->arcStart[1], p[1] * k + 20.0f, 0.5f) << away;
  }
}

}  // namespace
