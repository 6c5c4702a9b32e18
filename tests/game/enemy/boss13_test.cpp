// Boss type 13: the materialisation and the attack cycle with their
// lengths, the streamers along their paths and their full pool, the draws
// of the loop attack, the time-out, and the defeat that ends the boss at
// the explosion's frame 215, or by itself when no explosion could be had.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/core/StageCounters.h"
#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/boss13/EnemyType13.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"
#include "boss_rig.h"
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
  EXPECT_EQ(s.LiveCount(), EnemyType13Streamers::kCapacity);
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
  f.Step(9);
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
