// Boss type 14 and its ring emitters: the attack cycle with its waits and
// returns, the untouchable entrance, the emitter's redirection by shot id,
// the time-out, the defeat show's end, and a fight from stage 4's record.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "boss_fight.h"
#include "boss_rig.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/ERingShotGen.h"
#include "game/enemy/boss14/EnemyType14.h"
#include "game/enemy/boss14/BossPartsObjectT14.h"
#include "support/BossFight.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"

namespace {

using Rig = enemytest::BossRig<EnemyType14>;

TEST(Boss14, CycleOfAttacksWaitsAndReturns) {
  Rig r(14);
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(r.boss->body.disabled, 1);
  // Its first rig frame only adds it; the change asked for on the entrance's
  // frame 170 takes effect at the next run.
  EXPECT_EQ(r.RunState(400), 173);
  EXPECT_EQ(r.boss->body.disabled, 0);
  // Each attack lasts its end-of-attack count + 1; a wait until the idle
  // loop (60 frames) completes once more.
  const std::vector<std::pair<int32_t, int>> cycle = {
      {1, 301}, {7, -1}, {2, 421}, {100000, 81}, {7, -1}, {3, 221}, {7, -1}, {4, 788}, {7, -1},
      {5, 621}, {7, -1}, {6, 365}, {100000, 81}, {7, -1}, {1, 301}};
  for (const auto& [state, frames] : cycle) {
    ASSERT_EQ(r.State(), state);
    const int took = r.RunState(2000);
    EXPECT_TRUE(frames > 0 ? took == frames : took <= 61) << state << " " << took;
  }
}

TEST(Boss14, RingEmitterRedirectsOnlyItsOwnRing) {
  testsupport::WeaponRig w;
  w.PlaceOwner(0.0f, -100.0f);
  w.PlacePlayer(220.0f, 300.0f);
  w.Adopt(new ERingShotGen(w.ownerPos, 0.25f, 0.05f, 5.0f, 40, 0, &w.owner));
  EShotMan::Fire(3, 5, 200, 0, 0, 0.5f, 1.0f, nullptr, 41, nullptr, 1.0f);  // the next ring's id
  w.Run(2);
  // Delay 0: the ring leaves on the second frame, 25 shots 0.04 turn apart.
  ASSERT_EQ(w.ShotsOfFrame(1).size(), 25u);
  EXPECT_FLOAT_EQ(w.ShotsOfFrame(1)[24].angle, 0.96f);
  auto drifting = [](int32_t id, float turns) {  // shots of the id drifting at 5 towards turns
    int n = 0;
    EShotMan::WalkShots([&](EShot* s) {
      n += s->id == id && std::fabs(s->velocity[0] - 5.0f * std::cos(turns * 6.2831855f)) < 1e-4f &&
           std::fabs(s->velocity[1] - 5.0f * std::sin(turns * 6.2831855f)) < 1e-4f;
    });
    return n;
  };
  w.Run(4);
  EXPECT_EQ(drifting(40, 0.25f), 0);
  w.Run();  // cycle 6: the drift of its own ring alone
  EXPECT_EQ(drifting(40, 0.25f), 25);
  EXPECT_EQ(drifting(41, 0.25f), 0);
  w.Run(20);  // the second ring takes id 41 and the next angle
  EXPECT_EQ(drifting(41, 0.3f), 26);
  EXPECT_EQ(drifting(40, 0.25f), 25);
}

TEST(Boss14, TimeOutEndsTheFirstAttackWithoutCount) {
  Rig r(14, 200);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(400);
  // Past the limit the boss fires on to the end of its attack.
  EXPECT_EQ(r.RunState(400), 301);
  EXPECT_EQ(r.State(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, 0);
}

// The first attack's end comes on the boss's 472nd frame of main, when it
// has lived 471 frames (its entrance asks for the attack on its frame 170,
// main 171; the attack begins on main 172, and its divider of 300 fires on
// its 301st call). Time is up only past the limit: at a limit of 471 the
// boss goes on to its wait; at 470 it breaks up there, and that defeat,
// past the limit, is not counted.
TEST(Boss14, TimeIsUpOnlyPastTheLimitAndThatDefeatIsNotCounted) {
  struct Case {
    int32_t limit, next;
  };
  for (const Case c : {Case{471, 7}, Case{470, EnemyBase::SCRIPT_DEFEATED}}) {
    SCOPED_TRACE(c.limit);
    Rig r(14, c.limit);
    ASSERT_NE(r.boss, nullptr);
    const int32_t defeats = StageDefeatCount;
    ASSERT_EQ(r.RunState(400), 173);
    ASSERT_EQ(r.State(), 1);
    EXPECT_EQ(r.RunState(400), 301);
    EXPECT_EQ(r.State(), c.next);
    EXPECT_EQ(r.boss->framesAlive, 473);
    EXPECT_EQ(StageDefeatCount, defeats);
  }
}

// Stage 4's last boss from its stage record: the rings on the picture, then
// the player's shots finish it; its show tells the game the boss is beaten
// 340 frames after the defeat's first frame; the wreck, holding the
// timeline, goes with the stage's objects 600 frames after that.
TEST(Boss14, HeadlessFightFromStageFour) {
  testsupport::BossFight f(4, 114, true);
  ASSERT_TRUE(f.Start());
  f.world.stageMayEnd = true;
  f.Step(262);
  auto* boss = dynamic_cast<EnemyType14*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  EXPECT_EQ(boss->Script().GetState(), 1);
  EXPECT_EQ(g_EnemySet.paused, 1);
  plat::Image img;
  ASSERT_TRUE(f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss14_rings.png", 8, 400));
  const auto end = f.ShootDown(12, 1200);
  ASSERT_GT(end.defeated, 0);
  EXPECT_EQ(end.told - end.defeated, 341);
  EXPECT_EQ(end.ended - end.told, 601);
}

// One cycle in the running program, by state and the state's own frame:
// voice 47 as the rings start, 48 as the loop starts, 49 as the charge
// starts; sound 6 at the bows' frame 120 and the charge's 92; sound 2 at
// the charge's frames 62 and 222. The rings: one generator (0x20101, codes
// 516, angle curve 0 to 1.0, speed 2.0 to 4.0, 27 shots a step over the
// whole circle, one row, 30 frames apart, 1000 steps) and eight ring
// emitters 0.125 turn apart (step 0.05, drift 5.0, ids 1000 apart). The
// petals' first burst is 88 shots of code 12, the ring ten frames later 45
// of code 512. The charge: 17 shots of code 12 on its frames 72 to 169
// that are multiples of 4, 20 on its frames 232 to 329 that are multiples
// of 3, none on any other frame.
TEST(Boss14, CycleSoundsAndAttackNumbers) {
  bossfight::SpawnedBoss<EnemyType14> b(4, "osr_bs12", 28672, 14);
  ASSERT_TRUE(b.ok);
  EnemyType14* boss = b.boss;
  EXPECT_EQ(boss->angles[0], -0.14f);
  auto& s = boss->Script();
  SRsc* se = testsupport::EffectBank();
  SRsc* voice = testsupport::VoiceBank();
  using Key = std::tuple<int32_t, int32_t>;  // (state, its frame)
  std::map<int32_t, std::vector<Key>> ses, voices;
  bool ringsSeen = false, petalsSeen = false;
  int cycled = 0;
  std::map<int32_t, int> charge;  // charge frame: code 12 shots fired in it
  for (int k = 0; k < 6000 && cycled < 2; ++k) {
    const int32_t state = s.GetState(), frame = s.frame;
    for (int32_t n : {2, 6}) testsupport::RearmSound(se, n);
    for (int32_t n : {47, 48, 49}) testsupport::RearmSound(voice, n);
    int before = 0;
    std::set<const EShot*> old;
    EShotMan::WalkShots([&](EShot* shot) {
      ++before;
      old.insert(shot);
    });
    b.w.Step();
    b.w.G()->lives = 3;
    const int32_t now = s.GetState();
    if (now == EnemyType14Behavior::CHARGE && state == now) {
      int fresh = 0;
      EShotMan::WalkShots([&](EShot* shot) { fresh += shot->kind == 12 && shot->batch == 0 && old.count(shot) == 0; });
      if (fresh > 0) charge[frame] = fresh;
    }
    const Key key{now, now == state ? frame : 0};
    for (int32_t n : {2, 6})
      if (testsupport::SoundPlayed(se, n)) ses[n].push_back(key);
    for (int32_t n : {47, 48, 49})
      if (testsupport::SoundPlayed(voice, n)) voices[n].push_back(key);
    if (now == EnemyType14Behavior::RINGS && state != now) {
      cycled += ringsSeen ? 1 : 0;
      if (ringsSeen) break;
      ringsSeen = true;
      int rings = 0, gens = 0;
      float angle = 0.0f;
      for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c)) {
        if (auto* r = dynamic_cast<ERingShotGen*>(c)) {
          EXPECT_NEAR(r->angle, angle, 1e-6f);
          EXPECT_EQ(r->angleStep, 0.05f);
          EXPECT_EQ(r->driftSpeed, 5.0f);
          EXPECT_EQ(r->shotId, rings * 1000);
          angle += 0.125f;
          ++rings;
        }
        if (auto* g = dynamic_cast<EShotGen*>(c)) {
          ++gens;
          EXPECT_EQ(g->flags, 0x20101u);
          EXPECT_EQ(std::make_tuple(g->codeA, g->codeB), std::make_tuple(516, 516));
          EXPECT_EQ(std::make_tuple(g->sweepStart, g->sweepEnd), std::make_tuple(0.0f, 1.0f));
          EXPECT_EQ(std::make_tuple(g->startSpeed, g->endSpeed), std::make_tuple(2.0f, 4.0f));
          EXPECT_EQ(g->ways, 27);
          EXPECT_EQ(g->rows, 1);
          EXPECT_EQ(g->volleyFrames, 30);
          EXPECT_EQ(g->volleys, 1000);
        }
      }
      EXPECT_EQ(rings, 8);
      EXPECT_EQ(gens, 1);
    }
    if (now == EnemyType14Behavior::PETALS && !petalsSeen) {
      int after = 0;
      EShotMan::WalkShots([&](EShot* shot) { after += shot->kind == 12 && shot->batch == 0; });
      if (state != now) {
        EXPECT_EQ(after, 88);
      } else if (frame == 10) {
        int ring = 0;
        EShotMan::WalkShots([&](EShot* shot) { ring += shot->kind == 0 && shot->batch == 2; });
        EXPECT_EQ(ring, 45);
        petalsSeen = true;
      }
    }
  }
  EXPECT_TRUE(petalsSeen);
  EXPECT_EQ(voices[47], (std::vector<Key>{{1, 0}, {1, 0}}));
  EXPECT_EQ(voices[48], (std::vector<Key>{{2, 0}}));
  EXPECT_EQ(voices[49], (std::vector<Key>{{6, 0}}));
  EXPECT_EQ(ses[6], (std::vector<Key>{{5, 120}, {6, 92}}));
  EXPECT_EQ(ses[2], (std::vector<Key>{{6, 62}, {6, 222}}));
  std::map<int32_t, int> chargeWant;
  for (int32_t f = 72; f <= 169; f += 4) chargeWant[f] = 17;
  for (int32_t f = 234; f <= 329; f += 3) chargeWant[f] = 20;
  EXPECT_EQ(charge, chargeWant);
}

// The break-up by the companion's count: sound 14 at 0, at 60, 120, 180 and
// 240 (the chain's certain explosions) and at 230, 250 and 300, any others
// only inside the chain's window 20 to 280; 25 at 230, 250 and 300; 15 at
// 300; 23 at 460. Nodes 25, 20 and 5 vanish at 230, 250 and 300 and stay
// hidden; the model's packets go at 460.
TEST(Boss14, BreakUpSoundsAndPartsByFrame) {
  bossfight::SpawnedBoss<EnemyType14> b(4, "osr_bs12", 28672, 14);
  ASSERT_TRUE(b.ok);
  EnemyType14* boss = b.boss;
  BossPartsObjectT14* c = bossfight::DefeatForTheShow<BossPartsObjectT14>(b);
  ASSERT_NE(c, nullptr);
  SRsc* se = testsupport::EffectBank();
  const int32_t ids[4] = {14, 15, 25, 23};
  std::map<int32_t, std::vector<int32_t>> played;
  std::map<int32_t, int32_t> hidden;  // node: count it vanished
  int32_t undrawnFrom = -1;
  for (int k = 0; k < 500 && c->timer.GetCount() <= 461; ++k) {
    const int32_t count = c->timer.GetCount();
    for (int32_t n : ids) testsupport::RearmSound(se, n);
    b.w.Step();
    b.w.G()->lives = 3;
    for (int32_t n : ids)
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(count);
    for (int32_t n : {25, 20, 5}) {
      const bool gone = boss->model.GetNode(n)->GetLocal()->m[0][0] == 0.0f;
      if (gone && hidden.count(n) == 0) hidden[n] = count;
      if (!gone && hidden.count(n) != 0) ADD_FAILURE() << n << " back at " << count;
    }
    int packets = 0;
    for (int32_t n = 0; boss->model.GetNode(n) != nullptr; ++n) packets += boss->model.GetNode(n)->GetPacketCount();
    if (undrawnFrom < 0 && packets == 0) undrawnFrom = count;
  }
  std::vector<int32_t> sure;
  for (int32_t f : played[14])
    if (f == 0 || f == 230 || f == 250 || f == 300 || f % 60 == 0) sure.push_back(f);
    else EXPECT_TRUE(f >= 20 && f <= 280) << f;
  EXPECT_EQ(sure, (std::vector<int32_t>{0, 60, 120, 180, 230, 240, 250, 300}));
  EXPECT_EQ(played[25], (std::vector<int32_t>{230, 250, 300}));
  EXPECT_EQ(played[15], (std::vector<int32_t>{300}));
  EXPECT_EQ(played[23], (std::vector<int32_t>{460}));
  EXPECT_EQ(hidden, (std::map<int32_t, int32_t>{{25, 230}, {20, 250}, {5, 300}}));
  EXPECT_EQ(undrawnFrom, 460);
}

}  // namespace
