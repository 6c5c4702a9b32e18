// Boss type 13: the materialisation and the attack cycle with their
// lengths, the streamers along their paths and their full pool, the draws
// of the loop attack, the time-out, and the defeat that ends the boss at
// the explosion's frame 215, or by itself when no explosion could be had.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "game/core/StageCounters.h"
#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/boss13/EnemyType13.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"
#include "boss_rig.h"
#include "game/effect/EShotMan.h"
#include "gen_expect.h"
#include "platform/crt_rand.h"
#include "support/BossFight.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"

namespace {

using Rig = enemytest::BossRig<EnemyType13>;
using enemytest::RandDraws;

TEST(Boss13, MaterialisesThenRunsItsCycle) {
  Rig r(13);
  ASSERT_NE(r.boss, nullptr);
  EXPECT_GT(r.boss->Script().streamers.LiveCount(), 0);
  // Frames 0 to 350 invisible and untouchable; its first rig frame only
  // adds it, and the change takes effect at the next run.
  EXPECT_EQ(r.RunState(500), 353);
  EXPECT_EQ(r.boss->visible, 1);
  EXPECT_EQ(r.boss->body.disabled, 0);
  EXPECT_EQ(r.boss->Script().streamers.GetParent(), nullptr);
  const std::vector<std::pair<int32_t, int>> cycle = {
      {1, 181}, {2, 181}, {3, 421}, {100000, 61}, {4, 401}, {100000, 61}, {5, 501},
      {1, 181}, {6, 271}, {7, 392}, {8, 817},     {2, 181}};
  for (const auto& [state, frames] : cycle) {
    ASSERT_EQ(r.State(), state);
    if (state == 4) {
      // The loop's draws (c = 0 ran with the entry): 12 on every third
      // frame, 16 on every twelfth.
      std::vector<int> draws;
      for (int f = 0; f < 13; ++f) {
        const uint32_t before = plat::RandSeed();
        r.m.rig.Run();
        draws.push_back(RandDraws(before, plat::RandSeed()));
      }
      EXPECT_EQ(draws, (std::vector<int>{0, 0, 12, 0, 0, 12, 0, 0, 12, 0, 0, 16, 0}));
      EXPECT_EQ(r.RunState(500) + 13, frames);
      continue;
    }
    if (state == 2) { EXPECT_EQ(r.boss->Script().satellites.LiveCount(), 2); }
    EXPECT_EQ(r.RunState(1000), frames) << "state " << state;
  }
}

// Materialising: the first streamer comes with the entry, then two every 15
// frames and two more every 20 frames while c < 240. None has ended before
// c = 120 (fade in, path and fade out take longer), so the live count is
// the number launched: 1 + 2 (c = 0, 15, 30, ...) + 2 (c = 0, 20, 40, ...).
TEST(Boss13, StreamersConvergeEveryFifteenAndEveryTwentyFrames) {
  Rig r(13);
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(r.boss->Script().streamers.LiveCount(), 1);
  const std::pair<int32_t, int32_t> rows[] = {{0, 5},   {14, 5},  {15, 7},  {19, 7},  {20, 9},  {29, 9},
                                              {30, 11}, {40, 13}, {45, 15}, {59, 15}, {60, 19}, {119, 29}};
  for (const auto& [c, live] : rows) {
    // Runs until the frame with counter c has run.
    for (int f = 0; f < 200 && r.boss->Script().frame <= c; ++f) r.m.rig.Run();
    ASSERT_EQ(r.boss->Script().frame, c + 1);
    EXPECT_EQ(r.boss->Script().streamers.LiveCount(), live) << "c = " << c;
  }
}

TEST(Boss13, StreamersFollowTheirPathAndFillTheirPool) {
  testsupport::WeaponRig w;
  EnemyType13Streamers s;
  s.SetStatic(true);
  w.Adopt(&s);
  const float from[4] = {0.0f, 0.0f, 0.0f, 1.0f}, to[4] = {100.0f, -40.0f, 0.0f, 1.0f};
  s.Launch(from, to, 10.0f, 8.0f);
  auto* e = static_cast<EnemyType13Streamer*>(s.Live().HeadObj());
  ASSERT_NE(e, nullptr);
  // Its sprite rides on its position with the words 0, life, life (tint and
  // both sizes) and the colour (1, 1, 1, 0.1).
  const SGpSpriteCell* cell = e->sprite.Get();
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->position, e->position);
  EXPECT_EQ(cell->angle, 0.0f);
  EXPECT_EQ(cell->scaleX, 8.0f);
  EXPECT_EQ(cell->scaleY, 8.0f);
  EXPECT_EQ(cell->colour[3], 0.1f);
  while (e->phase == EnemyType13Streamer::FADE_IN) w.Run();
  // Both tangents are half the chord: the Hermite point at u = 0.5 is the
  // chord's middle, reached on the sixth step of the ten-frame path.
  w.Run(6);
  EXPECT_NEAR(e->position[0], 50.0f, 1e-3f);
  EXPECT_NEAR(e->position[1], -20.0f, 1e-3f);
  w.Run(5);
  EXPECT_EQ(e->phase, EnemyType13Streamer::FADE_OUT);
  EXPECT_NEAR(e->position[0], 100.0f, 1e-3f);
  // Without a free sprite nothing is launched and no streamer is taken.
  std::vector<SGpSpriteCell*> cells;
  while (SGpSpriteCell* c = w.game.LayerBatch(8).AddBack()) cells.push_back(c);
  s.Launch(from, to, 10.0f, 8.0f);
  EXPECT_EQ(s.LiveCount(), 1);
  for (SGpSpriteCell* c : cells) delete c;
  for (int i = 0; i < 70; ++i) s.Launch(from, to, 10.0f, 8.0f);
  EXPECT_EQ(s.LiveCount(), 64);  // the pool of 64
  s.Dispose();
  EXPECT_EQ(s.LiveCount(), 0);
}

// The swing's sparks (state 7, once its 31 frames of waiting are over, on
// the frames whose c mod 60 is at most 30 and has bit 1 or 2 set: first at
// c = 2) take the spark key list of boss 16's sparks, SprEfx00_4KeysB;
// white 0.05 to grey 0.25, lives 10 and 10.
TEST(Boss13, SwingSparksUseTheSparkKeyList) {
  Rig r(13);
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  for (int k = 0; k < 5000 && r.State() != EnemyType13Behavior::SWING; ++k) r.m.rig.Run();
  ASSERT_EQ(r.State(), EnemyType13Behavior::SWING);
  while (s.count <= 33) r.m.rig.Run();
  int sparks = 0;
  for (SObject* o = EfxMan::Instance()->Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    const auto* e = static_cast<const EfxSprite*>(o);
    if (e->lifeA != 10 || e->lifeB != 10 || e->target[0] != 0.9f || e->target[3] != 0.25f) continue;
    ++sparks;
    EXPECT_EQ(e->track.GetList(), &SprEfx00_4KeysB[0]);
  }
  EXPECT_GT(sparks, 0);
}

// What one cycle of the attack states fires, from state 2 to the next state
// 2: every generator with its 25 values, the row that builds it (the
// counter c it runs with, -1 for the entry) and where it fires from (A and
// B the satellites, P the boss); the lasers of state 8; and the shots the
// script fires itself, frame by frame with their counts, codes, speeds,
// angles, last values and drifts. A value of 0 for the bullet path is no
// path (-1 here).
struct Built13 {
  int32_t state, c;
  char from;
  ShotTuple values;
};

ShotTuple G3c(int32_t k, int32_t q) {
  const float fk = float(k), fq = float(q);
  return ShotTuple{0x10404, 5, 512, 512, 0.1f - 0.2f * fq, 0.02f * fq - 0.01f, 0.06f * fq - 0.03f, 6.0f + 0.4f * fk,
                   8.0f + 0.4f * fk, 1, 0, 1, 0, 3, 13, 0, 0, 0, 0, 0, 0, 10.0f, -1, -1, 0};
}

std::vector<Built13> CycleGenerators() {
  using S = EnemyType13Behavior;
  const ShotTuple g2a{0x101, 5, 10, 10, 0.25f, 0.02f, 0.02f, 5.0f, 5.0f, 20, 1.0f, 1, 0, 10, 1000, 0, 0, 0, 0, 0, 0,
                      60.0f, -1, -1, 0};
  ShotTuple g2b = g2a;
  g2b.sweepStart = g2b.sweepEnd = -0.02f;
  const ShotTuple g3a{0x121, 5, 269, 269, 0.25f, 0, 0, 1.5f, 3.0f, 1, 0, 1, 0, 6, 54, 100, 4, 0, 0, 0, 0, 0, -1, -1, 0};
  const ShotTuple g3b{0x124, 5, 269, 269, 0.25f, 0, 0, 2.0f, 3.5f, 1, 0, 1, 0, 3, 40, 80, 2, 0, 0, 0, 0, 0, -1, -1, 0};
  const ShotTuple g5a{0x10101, 5, 12, 12, 0.25f, 0.001f, 0.004f, 8.0f, 8.0f, 30, 1.0f, 1, 0, 2, 1000, 0, 0, 0,
                      30.0f, 0, 0, 160.0f, -1, -1, 0};
  const ShotTuple g5b{0x10101, 5, 12, 12, 0.25f, -0.002f, -0.0055f, 8.0f, 8.0f, 30, 1.0f, 1, 0, 2, 1000, 0, 0, 0,
                      30.0f, 0, 0, 5.0f, -1, -1, 0};
  const ShotTuple g6a{0x10101, 5, 516, 516, 0, 0, 0, 3.0f, 5.5f, 41, 1.0f, 1, 0, 45, 5, 0, 0, 0, 30.0f, 0, 0, 30.0f,
                      -1, -1, 0};
  ShotTuple g6b = g6a;
  g6b.startDelay = 50.0f;
  const ShotTuple g7{0x10101, 5, 512, 512, 0, 0, 0, 6.0f, 6.0f, 30, 1.0f, 1, 0, 3, 5, 0, 0, 0, 0, 0, 0, 0, -1, -1, 0};
  const ShotTuple g8a{0x101, 5, 522, 522, 0.125f, 0.017f, 0.017f, 7.0f, 7.0f, 40, 1.0f, 1, 0, 8, 5, 0, 0, 0, 0, 0, 0,
                      220.0f, -1, -1, 30};
  const ShotTuple g8b{0x101, 5, 522, 522, 0, 0, 0, 7.0f, 7.0f, 47, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 260.0f, -1,
                      -1, 0};
  std::vector<Built13> want = {{S::TWIN_STREAMS, -1, 'A', g2a}, {S::TWIN_STREAMS, -1, 'B', g2b},
                               {S::ORBIT, -1, 'A', g3a},        {S::ORBIT, -1, 'B', g3b}};
  // The fans at c = 100, 240 and 380 turn to q = 1, 0, 1.
  for (int32_t c : {100, 240, 380})
    for (int32_t k = 0; k < 8; ++k) want.push_back({S::ORBIT, c, 'P', G3c(k, c == 240 ? 0 : 1)});
  want.push_back({S::STREAMS, -1, 'P', g5a});
  want.push_back({S::STREAMS, 300, 'P', g5b});
  want.push_back({S::RINGS, -1, 'A', g6a});
  want.push_back({S::RINGS, -1, 'B', g6b});
  for (int32_t c = 45; c < 360; c += 60) {
    want.push_back({S::SWING, c, 'A', g7});
    want.push_back({S::SWING, c, 'B', g7});
  }
  want.push_back({S::LASERS, 315, 'P', g8a});
  want.push_back({S::LASERS, 315, 'P', g8b});
  return want;
}

// The n-th value of the game's generator after `seed`, as RandFS: the C
// library's linear congruence, (rand / 32767) - 0.5.
float RandFSAfter(uint32_t seed, int n) {
  int32_t r = 0;
  for (int i = 0; i <= n; ++i) {
    seed = seed * 214013u + 2531011u;
    r = int32_t((seed >> 16) & 0x7FFF);
  }
  return float(r) / 32767.0f - 0.5f;
}

TEST(Boss13, GeneratorsLasersAndShotsOfOneCycleWithTheirValues) {
  using S = EnemyType13Behavior;
  Rig r(13);
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  for (int k = 0; k < 5000 && r.State() != S::TWIN_STREAMS; ++k) r.m.rig.Run();
  ASSERT_EQ(r.State(), S::TWIN_STREAMS);
  const std::vector<Built13> want = CycleGenerators();
  std::vector<Built13> seen;
  std::set<const SProc*> before;
  // Where a generator fires from: the satellite or the boss at its place.
  const auto from = [&](EShotGen* g) {
    const float* at = g->OwnerPosition();
    const auto same = [at](const float* q) { return at[0] == q[0] && at[1] == q[1]; };
    for (int i = 0; i < 2; ++i)
      if (BossOption2D* o = s.satellites.Live(i); o != nullptr && same(o->Position())) return char('A' + i);
    return same(r.boss->GetPosition()) ? 'P' : '?';
  };
  // The generators new since the last look, checked against the next rows.
  const auto look = [&](int32_t state, int32_t c) {
    std::set<const SProc*> now;
    for (EShotGen* g : enemytest::LiveGens(r.boss)) {
      now.insert(g);
      if (before.count(g) != 0) continue;
      if (seen.size() < want.size()) {
        SCOPED_TRACE(testing::Message() << "generator " << seen.size() << " (state " << state << ", c " << c << ")");
        enemytest::ExpectGen(*g, want[seen.size()].values);
      }
      seen.push_back(Built13{state, c, from(g), {}});
    }
    before = now;
  };
  // The entry of state 2 ran in the last frame.
  look(S::TWIN_STREAMS, -1);
  std::set<const SProc*> laserSeen;
  int lasers = 0, loopFrames = 0, loopShots = 0, ringFrames = 0, fanFrames = 0;
  bool cycled = false;
  for (int f = 0; f < 6000; ++f) {
    const int32_t state = r.State(), frameBefore = s.frame;
    const uint32_t seed = plat::RandSeed();
    std::set<const HitBody*> shotsBefore;
    for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) shotsBefore.insert(b);
    r.m.rig.Run();
    const int32_t now = r.State();
    cycled = cycled || now == S::LASERS;
    if (cycled && now == S::TWIN_STREAMS) break;
    // The counter c of the frame row that ran (each ends with c + 1; -1:
    // none, only the entry of a state entered in this frame).
    const bool entered = now != state;
    const int32_t c = !entered ? frameBefore : s.frame - 1;
    look(now, entered ? -1 : c);
    for (ELaserGen* l : enemytest::LiveLasers(r.boss)) {
      if (!laserSeen.insert(l).second) continue;
      ++lasers;
      EXPECT_EQ(now, S::LASERS);
      EXPECT_EQ(c % 45, 0) << c;
      enemytest::ExpectLaser(*l, enemytest::LaserWant{0x70000, 25.0f, 360, 2, 0.7f, 2.0f, 5.0f, 32.0f, 18.0f, 3.0f,
                                                      6.0f, 30.0f, 15.0f, 0});
    }
    // The shots of this frame in the order fired, by kind and batch: the
    // script's own codes, not those of its generators.
    const auto own = [&](int32_t kind, int32_t batch) {
      std::vector<const EShot*> out;
      for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) {
        const auto* e = reinterpret_cast<const EShot*>(b->power);
        if (shotsBefore.count(b) == 0 && e->kind == kind && e->batch == batch) out.push_back(e);
      }
      return out;
    };
    if (now == S::LOOP && c >= 0) {
      // c mod 3 = 0: three pairs of code 12 (kind 12, batch 0) from A then
      // B, angle a + 0.25 RandFS (a + 0.5 + ... for B), speed 3 (RandFS +
      // 1), last value 0.9966; c mod 12 = 0: then code 516 (kind 4, batch
      // 2) from A and from B, speed 2 (RandFS + 1), last value 1.0; the
      // draws in that order; a = 0.005 (c + 1).
      const auto spray = own(12, 0);
      const auto aimed = own(4, 2);
      ASSERT_EQ(spray.size(), c % 3 == 0 ? 6u : 0u) << "c = " << c;
      ASSERT_EQ(aimed.size(), c % 12 == 0 ? 2u : 0u) << "c = " << c;
      const float a = 0.005f * float(c + 1);
      const auto sprayTurn = [&](int off, int i) {
        return a + (i % 2 == 1 ? 0.5f : 0.0f) + 0.25f * RandFSAfter(seed, off + 2 * i);
      };
      const auto spraySpeed = [&](int off, int i) { return 3.0f * (RandFSAfter(seed, off + 2 * i + 1) + 1.0f); };
      // Other processes may draw before the boss in a frame: the boss's
      // draws are the run of the generator's values that gives every shot.
      int off = 0;
      const auto fits = [&](int o) {
        for (int i = 0; i < int(spray.size()); ++i)
          if (std::fabs(spray[size_t(i)]->angle - sprayTurn(o, i)) > 1e-4f ||
              std::fabs(spray[size_t(i)]->speed - spraySpeed(o, i)) > 1e-4f)
            return false;
        return true;
      };
      while (!spray.empty() && off < 64 && !fits(off)) ++off;
      for (int i = 0; i < int(spray.size()); ++i) {
        EXPECT_NEAR(spray[size_t(i)]->angle, sprayTurn(off, i), 1e-4f) << "c = " << c << ", shot " << i;
        EXPECT_NEAR(spray[size_t(i)]->speed, spraySpeed(off, i), 1e-4f) << "c = " << c << ", shot " << i;
        EXPECT_EQ(spray[size_t(i)]->velocityFactor, 0.9966f);
      }
      for (int i = 0; i < int(aimed.size()); ++i) {
        EXPECT_NEAR(aimed[size_t(i)]->speed, 2.0f * (RandFSAfter(seed, off + 12 + 2 * i + 1) + 1.0f), 1e-4f) << c;
        EXPECT_EQ(aimed[size_t(i)]->velocityFactor, 1.0f);
      }
      loopFrames += !spray.empty();
      loopShots += int(spray.size() + aimed.size());
    }
    if (now == S::RINGS) {
      // 30 <= c < 240 with c mod 60 from 1 to 58: 20 shots of code 268
      // (kind 12, batch 1) at s + k / 19, speed 15.0, last value 1.0.
      const auto ring = own(12, 1);
      const bool fires = c >= 30 && c < 240 && c % 60 >= 1 && c % 60 <= 58;
      ASSERT_EQ(ring.size(), fires ? 20u : 0u) << "c = " << c;
      for (size_t k = 0; k < ring.size(); ++k) {
        EXPECT_NEAR(ring[k]->angle - ring[0]->angle, float(k) / 19.0f, 1e-5f) << k;
        EXPECT_EQ(ring[k]->speed, 15.0f);
        EXPECT_EQ(ring[k]->velocityFactor, 1.0f);
      }
      ringFrames += fires;
    }
    if (now == S::SWING) {
      // After the wait, c mod 60 odd and at most 30: for k = 0 to 4 four
      // shots of code 6, speed 15.0, last value 0.955 - 0.02 k, with their
      // turns and drifts (0, 8) and (0, -8).
      const auto fan = own(6, 0);
      const bool fires = s.count > 31 && c % 60 <= 30 && c % 2 == 1;
      ASSERT_EQ(fan.size(), fires ? 20u : 0u) << "c = " << c;
      for (size_t i = 0; i < fan.size(); ++i) {
        const float k = float(i / 4);
        const float turns[4] = {0.6f - 0.06f * k, 0.06f * k - 0.1f, 0.4f + 0.06f * k, 0.1f - 0.06f * k};
        EXPECT_NEAR(fan[i]->angle, turns[i % 4], 1e-5f) << i;
        EXPECT_EQ(fan[i]->speed, 15.0f);
        EXPECT_NEAR(fan[i]->velocityFactor, 0.955f - 0.02f * k, 1e-6f) << i;
        EXPECT_EQ(fan[i]->drift[0], 0.0f);
        EXPECT_EQ(fan[i]->drift[1], i % 4 < 2 ? 8.0f : -8.0f) << i;
      }
      fanFrames += fires;
    }
  }
  ASSERT_TRUE(cycled);
  ASSERT_EQ(r.State(), S::TWIN_STREAMS);
  // c = 0 to 400 in state 4: 134 frames of six sprays, 34 of them with the
  // two aimed shots; rings on 29 + 3 x 58 frames; fans on the 15 odd frames
  // of the first half of each of six windows of 60; eight lasers.
  EXPECT_EQ(loopFrames, 134);
  EXPECT_EQ(loopShots, 134 * 6 + 34 * 2);
  EXPECT_EQ(ringFrames, 29 + 3 * 58);
  EXPECT_EQ(fanFrames, 6 * 15);
  EXPECT_EQ(lasers, 8);
  ASSERT_EQ(seen.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(seen[i].state, want[i].state) << "generator " << i;
    EXPECT_EQ(seen[i].c, want[i].c) << "generator " << i;
    EXPECT_EQ(seen[i].from, want[i].from) << "generator " << i;
  }
}

TEST(Boss13, TimeOutAtTheEndOfTheFirstAttack) {
  Rig r(13, 700);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(500), r.RunState(500);
  EXPECT_EQ(r.RunState(500), 181);
  EXPECT_EQ(r.State(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, 0);
}

// The defeat (its first frame runs with the entry): 58 frames of drift,
// 121 of the path to the centre, then the explosion ends the boss on its
// frame 215; with the explosion pool full the boss ends itself then.
TEST(Boss13, DefeatEndsAtTheExplosionsFrameOrByItself) {
  for (bool full : {false, true}) {
    Rig r(13);
    ASSERT_NE(r.boss, nullptr);
    r.RunState(500);
    r.m.rig.Run(30);
    if (full)
      for (int i = 0; i < 1000; ++i) {
        const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
        if (r.m.rig.weapons.efx.SpawnRandom(2, &at, 1.0e9f, 0) == nullptr) break;  // waits for the rail
      }
    r.boss->SendEvent(kHitEventDefeated, 0);
    r.m.rig.Run();
    int blast = -1, ended = -1, spawned = -1;
    for (int f = 2; f <= 600 && ended < 0; ++f) {
      r.m.rig.Run();
      if (g_EnemySet.paused == 0) {
        ended = f;
      } else if (blast < 0 && r.boss->Script().blastCount >= 0) {
        blast = f;
        spawned = r.boss->Script().blastSpawned;
      }
    }
    EXPECT_EQ(blast, 58 + 121) << full;
    EXPECT_EQ(ended - blast, 214) << full;
    EXPECT_EQ(spawned, full ? 0 : 1);
  }
}

// Materialising, at its frame 330 it plays effect 48 and starts the screen's
// fade (layer 7) to white over 10 frames; at 350 it shows itself and the
// fade turns back to clear over 120.
TEST(Boss13, MaterialisesInAWhiteFlashAtItsFrame330) {
  testsupport::BossFight f(4, 113);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType13*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  SRsc* se = testsupport::EffectBank();
  testsupport::MarkSound(se, 48);
  while (boss->Script().frame < 330) f.Step();
  ASSERT_EQ(boss->Script().frame, 330);
  Game* g = f.world.G();
  EXPECT_FALSE(testsupport::SoundPlayed(se, 48));
  EXPECT_EQ(g->GetFadeLevel(), 1.0f);
  f.Step();
  EXPECT_TRUE(testsupport::SoundPlayed(se, 48));
  EXPECT_EQ(g->GetFadeLayer(), 7);
  EXPECT_GT(g->GetFadeLevel(), 1.0f);
  // Towards 2.0 on every frame of the ten, never beyond it.
  for (int i = 0; i < 9; ++i) {
    const float was = g->GetFadeLevel();
    f.Step();
    EXPECT_GE(g->GetFadeLevel(), was) << "frame " << i;
    EXPECT_LE(g->GetFadeLevel(), 2.0f) << "frame " << i;
  }
  EXPECT_FLOAT_EQ(g->GetFadeLevel(), 2.0f);
  f.Step(11);
  EXPECT_EQ(boss->visible, 1);
  EXPECT_LT(g->GetFadeLevel(), 2.0f);
}

// Its sounds through the cycle from its stage record: effect 29 with its
// entry; voice 42 on the frame c = 350 of the materialisation (the change
// to state 1 takes effect at the next run); voice 43 on entering state 3,
// 44 at c = 160 of state 5, 45 on entering state 6 and 46 on entering state
// 8. Each is seen as (state, c after that frame's increment).
TEST(Boss13, EffectAndVoicesOnTheirFrames) {
  testsupport::BossFight f(4, 113);
  ASSERT_TRUE(f.Start());
  SRsc* se = testsupport::EffectBank();
  SRsc* voices = testsupport::VoiceBank();
  ASSERT_NE(se, nullptr);
  ASSERT_NE(voices, nullptr);
  testsupport::MarkSound(se, 29);
  for (int32_t v = 42; v <= 46; ++v) testsupport::MarkSound(voices, v);
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType13*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  EXPECT_TRUE(testsupport::SoundPlayed(se, 29));
  std::pair<int32_t, int32_t> seen[5] = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};
  SHandle<EnemyType13> h(boss);
  for (int n = 0; n < 4000 && h.Get() != nullptr && seen[4].first < 0; ++n) {
    g_Player.invulnerability = 1000;
    f.Step();
    if (h.Get() == nullptr) break;
    for (int32_t v = 42; v <= 46; ++v)
      if (seen[v - 42].first < 0 && testsupport::SoundPlayed(voices, v))
        seen[v - 42] = {boss->Script().GetState(), boss->Script().frame};
  }
  const std::pair<int32_t, int32_t> want[5] = {{0, 351}, {3, 1}, {5, 161}, {6, 1}, {8, 1}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(seen[i], want[i]) << "voice " << 42 + i;
  }
}

// Stage 4's second boss from its stage record, twin streams on the
// picture, finished by the player's shots.
TEST(Boss13, HeadlessFightFromStageFour) {
  testsupport::BossFight f(4, 113, true);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType13*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  f.Step(620);
  EXPECT_EQ(boss->Script().GetState(), 2);
  plat::Image img;
  ASSERT_TRUE(f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss13_streams.png", 8, 400));
  const auto end = f.ShootDown(12, 1500);
  ASSERT_GT(end.defeated, 0);
  // From the defeat's first frame.
  EXPECT_EQ(end.ended - end.defeated, 57 + 121 + 214);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

}  // namespace
