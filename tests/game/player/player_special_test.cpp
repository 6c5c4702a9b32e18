// The bomb, the lock-on and the dash attack in the whole program, against
// test enemies and real enemy bullets, and the sparkles of the bomb and the
// warp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"
#include "test_enemy.h"

namespace {

using plat::CabInput;
using testenemy::Logged;
using testenemy::Spawn;
using testenemy::TestEnemy;
using testsupport::PlayWorld;

// The ship in control and past the entry's invulnerability.
void RunPastTheEntry(PlayWorld& w) {
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  w.Step(180);
}

// The ship in control, no effect alive, the bomb pressed.
void StartBombWithNoEffects(PlayWorld& w) {
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  g_EfxMan.ClearAll();
  w.PressBomb();
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_BOMB);
}

// Stationary enemy bullets well away from the ship.
void FireBullets(int n) {
  for (int i = 0; i < n; ++i)
    ASSERT_NE(EShotMan::Fire(0, 0, -200.0f + 40.0f * static_cast<float>(i), -250.0f, 0.0f, 0.25f, 0.0f, nullptr, 0,
                             nullptr, 1.0f),
              nullptr);
}

TEST(PlayerSpecial, TheBombRunsItsEightStepsAndClearsTheBulletsOnce) {
  PlayWorld w;
  ASSERT_NO_FATAL_FAILURE(RunPastTheEntry(w));
  std::vector<Logged> log;
  TestEnemy* a = Spawn(&log, 1, -150.0f, -200.0f);
  TestEnemy* b = Spawn(&log, 2, 150.0f, -200.0f, 0x7F, EObjBase::KIND_SIMPLE, 9000);
  TestEnemy* boss1 = Spawn(&log, 3, -100.0f, -280.0f, 0x7F, EObjBase::KIND_BOSS, 50000);
  TestEnemy* boss2 = Spawn(&log, 4, 100.0f, -280.0f, 0x7F, EObjBase::KIND_BOSS, 50000);
  FireBullets(5);
  Game* g = w.G();
  // Both buttons on the same frame: a bomb, not a lock-on.
  w.PressBomb();
  EXPECT_ALL({VAL(g_Player.controlMode, Player::CONTROL_BOMB), VAL(g->bombs, 1), VAL(g_Player.lockOnCooldown, 0),
              VAL(g_Player.options.PresentCount(), 0)});
  // Steps of 1, 1, 20, 10, 3, 30 frames, then 150: the bullets go on its
  // 76th frame (frame 140 of the bomb), the blow lands two frames later.
  int bulletsGone = -1, blow = -1, drawnAgain = -1, ended = -1;
  std::vector<int> steps;
  for (int f = 1; f <= 240 && g_Player.controlMode == Player::CONTROL_BOMB; ++f) {
    const size_t before = log.size();
    w.Step();
    ended = f;
    if (std::find(steps.begin(), steps.end(), g_Player.step) == steps.end()) steps.push_back(g_Player.step);
    if (bulletsGone < 0 && EShotMan::Instance()->LiveCount() == 0) bulletsGone = f;
    if (blow < 0 && log.size() > before) blow = f;
    if (drawnAgain < 0 && g_Player.step == 5) drawnAgain = g_Player.drawn != 0 ? f : -1;
  }
  EXPECT_EQ(steps, (std::vector<int>{2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(bulletsGone, 140);
  EXPECT_EQ(blow, 142);
  // Step 7's 18 frames end it 150 + 18 frames after step 6 began (frame
  // 64): back to normal control, and no invulnerability added at its end
  // (the entry's had run out before the bomb).
  EXPECT_ALL({VAL(ended, 64 + 150 + 18), VAL(g_Player.controlMode, Player::CONTROL_NORMAL),
              VAL(g_Player.invulnerability, 0)});
  // 4000 to every ordinary enemy and to the first boss only; the one that
  // fell to it was defeated.
  EXPECT_ALL({VAL(a->defeats, 1), VAL(b->hitPoints, 5000), VAL(b->defeats, 0), VAL(boss1->hitPoints, 46000),
              VAL(boss2->hitPoints, 50000)});
  // Only once: nothing more happens in the frames that follow.
  const size_t events = log.size();
  FireBullets(2);
  w.Step(30);
  EXPECT_EQ(log.size(), events);
  EXPECT_EQ(EShotMan::Instance()->LiveCount(), 2);
  // With an empty stock both buttons start nothing.
  g->bombs = 0;
  w.PressBomb();
  EXPECT_EQ(g_Player.controlMode, Player::CONTROL_NORMAL);
}

// The Player's sparkles alive: the effect sprites that fade to (0.75, 0.3,
// 0.3, 0).
int LiveSparkles() {
  int n = 0;
  for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    const float* t = static_cast<EfxSprite*>(o)->target;
    n += t[0] == 0.75f && t[1] == 0.3f && t[2] == 0.3f && t[3] == 0.0f;
  }
  return n;
}

TEST(PlayerSpecial, TheBombsVanishingShedsTwoSparklesAFrame) {
  PlayWorld w;
  ASSERT_NO_FATAL_FAILURE(StartBombWithNoEffects(w));
  // Steps 0 and 1 take a frame each; then 20 frames of step 2 with one
  // sparkle beside each engine a frame, each living 30 to 50 frames.
  w.Step(1);
  EXPECT_ALL({VAL(g_Player.step, 2), VAL(LiveSparkles(), 0)});
  w.Step(20);
  EXPECT_ALL({VAL(g_Player.step, 3), VAL(g_Player.drawn, 0), VAL(LiveSparkles(), 2 * 20)});
}

// The bomb's start lays the pictures of the two trail records: at the ship
// the dark one, grey 0.3 fading from alpha 1 to 0, and around it six
// half-lit ones, grey 0.53 at alpha 0.3 with no fade; all on the 5-frame
// key list, counted 25 frames then 10, at scale 1.5.
TEST(PlayerSpecial, TheBombStartsWithTheTrailPictures) {
  PlayWorld w;
  ASSERT_NO_FATAL_FAILURE(StartBombWithNoEffects(w));
  int dark = 0, lit = 0;
  for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    const auto* e = static_cast<EfxSprite*>(o);
    if (e->track.GetList() != SprEfx07Keys) continue;
    EXPECT_ALL({VAL(e->lifeA, 25), VAL(e->lifeB, 10), VAL(e->Sprite()->scaleX, 1.5f),
                VAL(e->Sprite()->scaleY, 1.5f)});
    const bool fades = (e->flags & EfxSprite::kFade) != 0;
    if (e->colour[3] == 1.0f) {
      ++dark;
      EXPECT_ALL({VAL(e->colour[0], 0.3f), VAL(e->target[0], 0.3f), VAL(e->target[3], 0.0f), VAL(fades, true)});
    } else {
      ++lit;
      EXPECT_ALL({VAL(e->colour[0], 0.53f), VAL(e->colour[3], 0.3f), VAL(fades, false)});
    }
  }
  EXPECT_ALL({VAL(dark, 1), VAL(lit, 6)});
}

// The six half-lit trail pictures stand on a 3 px circle round the dark one,
// 60 degrees apart from angle 0: offsets (3, 0), (1.5, 2.598), (-1.5,
// 2.598), (-3, 0), (-1.5, -2.598), (1.5, -2.598); none of them moves over
// the 20 frames that follow (they live 25 + 10).
TEST(PlayerSpecial, TheBombsSixTrailPicturesStandStillOnA3PxCircle) {
  PlayWorld w;
  ASSERT_NO_FATAL_FAILURE(StartBombWithNoEffects(w));
  static constexpr float kAt[6][2] = {{3.0f, 0.0f},   {1.5f, 2.5980762f},   {-1.5f, 2.5980762f},
                                      {-3.0f, 0.0f}, {-1.5f, -2.5980762f}, {1.5f, -2.5980762f}};
  // The dark picture's place and the lit ones' offsets from it.
  const auto offsets = [] {
    std::vector<std::pair<float, float>> lit;
    float x0 = 0.0f, y0 = 0.0f;
    for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
      const auto* e = static_cast<EfxSprite*>(o);
      if (e->track.GetList() != SprEfx07Keys) continue;
      const float* p = e->Sprite()->position;
      if (e->colour[3] == 1.0f) {
        x0 = p[0], y0 = p[1];
      } else {
        lit.emplace_back(p[0], p[1]);
      }
    }
    for (auto& [x, y] : lit) x -= x0, y -= y0;
    return lit;
  };
  const auto first = offsets();
  ASSERT_EQ(first.size(), 6u);
  for (size_t k = 0; k < 6; ++k) {
    EXPECT_NEAR(first[k].first, kAt[k][0], 1e-3) << k;
    EXPECT_NEAR(first[k].second, kAt[k][1], 1e-3) << k;
  }
  for (int f = 1; f <= 20; ++f) {
    w.Step();
    const auto now = offsets();
    ASSERT_EQ(now.size(), 6u) << f;
    for (size_t k = 0; k < 6; ++k) {
      EXPECT_NEAR(now[k].first, kAt[k][0], 1e-3) << f << " " << k;
      EXPECT_NEAR(now[k].second, kAt[k][1], 1e-3) << f << " " << k;
    }
  }
}

TEST(PlayerSpecial, TheWarpOutShedsTwoSparklesAFrame) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  g_EfxMan.ClearAll();
  g_Player.OnEvent(9);
  w.Step();  // step 0: 20 frames of step 1 follow
  EXPECT_ALL({VAL(g_Player.step, 1), VAL(g_Player.stepLength, 20), VAL(LiveSparkles(), 0)});
  // One beside each engine every frame; none lives less than 20 frames.
  w.Step(10);
  EXPECT_EQ(LiveSparkles(), 2 * 10);
  w.Step(10);
  EXPECT_ALL({VAL(g_Player.step, 2), VAL(g_Player.drawn, 0), VAL(g_Player.position[1], 130.0f)});
}

TEST(PlayerSpecial, ADashStartPaysTheSweepsTallyAndHalvesTheChain) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  Game* g = w.G();
  // A tally of 3 pays 3 x 1000, bonus kind 3, times the multiplier (the
  // chain, 9) before the chain is halved to 9 / 2 = 4.
  g->record[REC_SCORE] = 0;
  g_ChainCounter.contactTally = 3;
  g_ChainCounter.Set(9);
  g_Player.SendEvent(Player::kEventDash, 0);
  EXPECT_ALL({VAL(g_Player.controlMode, Player::CONTROL_DASH), VAL(g->record[REC_SCORE], 27000u),
              VAL(g_ChainCounter.contactTally, 0), VAL(g_ChainCounter.chain, 4)});
  // No tally pays nothing; a chain of 1 is no multiplier and stays.
  w.Step(200);
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_NORMAL);
  g->record[REC_SCORE] = 0;
  g_ChainCounter.Set(1);
  g_Player.SendEvent(Player::kEventDash, 0);
  EXPECT_ALL({VAL(g->record[REC_SCORE], 0u), VAL(g_ChainCounter.chain, 1)});
}

// Nine dashable enemies round the screen, one of them right above the ship
// where the lock-on sweep catches it.
struct Formation {
  std::vector<Logged> log;
  std::vector<TestEnemy*> enemies;
  void Spawn9() {
    static constexpr float kAt[9][2] = {{0, 60},    {-200, -250}, {200, -250}, {-180, 0},  {180, 0},
                                        {-150, 250}, {150, 250},   {0, -280},   {60, 240}};
    for (int i = 0; i < 9; ++i) enemies.push_back(Spawn(&log, i, kAt[i][0], kAt[i][1]));
  }
};

TEST(PlayerSpecial, LockOnCatchesAnEnemyAndTheDashStrikesSevenTargets) {
  PlayWorld w;
  ASSERT_NO_FATAL_FAILURE(RunPastTheEntry(w));
  Formation f;
  f.Spawn9();
  const float anchor[2] = {g_Player.position[0], g_Player.position[1]};
  // The special button alone starts the lock-on and its cooldown.
  w.Hold(CabInput::kButton2);
  w.Step();
  w.ReleaseAll();
  EXPECT_ALL({VAL(g_Player.controlMode, Player::CONTROL_LOCKON), VAL(g_Player.lockOnCooldown, 240),
              VAL(g_Player.slots[0].motion, 16), VAL(g_Player.options.PresentCount(), 0)});
  // The sweep catches enemy 0 and the dash starts.
  for (int i = 0; i < 40 && g_Player.controlMode != Player::CONTROL_DASH; ++i) w.Step();
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_DASH);
  EXPECT_EQ(f.enemies[0]->grabbed, 1);
  EXPECT_EQ(g_DashForm.variant, DashForm::VARIANT_CHAIN);
  ASSERT_EQ(g_DashForm.targetCount, 7);
  // The slots went to the seven candidates farthest from the ship, farthest
  // first, the later of two equally far (the caught enemy is no candidate):
  // the first links, before any grab, name them.
  std::vector<int> linked;
  for (const Logged& e : f.log) {
    if (e.code == EObjBase::EV_GRABBED) break;
    if (e.code == EObjBase::EV_BIND_SLOT) linked.push_back(e.id);
  }
  std::vector<std::pair<float, int>> byDistance;
  for (int i = 1; i < 9; ++i) {
    const float dx = f.enemies[i]->hitPosition[0] - anchor[0], dy = f.enemies[i]->hitPosition[1] - anchor[1];
    byDistance.push_back({-(dx * dx + dy * dy), -i});
  }
  std::sort(byDistance.begin(), byDistance.end());
  std::vector<int> farthest;
  for (int i = 0; i < 7; ++i) farthest.push_back(-byDistance[static_cast<size_t>(i)].second);
  EXPECT_EQ(linked, farthest);
  // Every slot lies in its box and apart from its neighbours.
  for (int i = 0; i < 7; ++i) {
    const float* p = g_DashForm.slots[i].position;
    EXPECT_TRUE(p[0] >= -200.0f && p[0] <= 200.0f && p[1] >= -260.0f && p[1] <= 280.0f) << i;
    for (int k = 0; k < i; ++k) {
      const float* q = g_DashForm.slots[k].position;
      EXPECT_GE(std::hypot(p[0] - q[0], p[1] - q[1]), 119.9f) << i << " " << k;
    }
  }
  // Without a press every strike lands on time: all seven struck, then the
  // return to where the dash started and the payoff.
  std::vector<int> states;
  for (int i = 0; i < 600 && g_Player.controlMode == Player::CONTROL_DASH; ++i) {
    w.Step();
    if (states.empty() || states.back() != g_DashForm.dashState) states.push_back(g_DashForm.dashState);
  }
  EXPECT_EQ(g_Player.controlMode, Player::CONTROL_NORMAL);
  EXPECT_EQ(g_DashForm.targetIndex, 7);
  EXPECT_EQ(states.front(), DashForm::DASH_OPENING);
  EXPECT_NE(std::find(states.begin(), states.end(), DashForm::DASH_ALL_STRUCK), states.end());
  EXPECT_EQ(std::find(states.begin(), states.end(), DashForm::DASH_MISSED), states.end());
  EXPECT_EQ(g_Player.position[0], anchor[0]);
  EXPECT_EQ(g_Player.position[1], anchor[1]);
  EXPECT_GE(g_Player.invulnerability, 85);
  int defeated = 0;
  for (TestEnemy* e : f.enemies) defeated += e->defeats;
  EXPECT_EQ(defeated, 9);
  // The cooldown runs in normal control only: no second lock-on yet.
  EXPECT_GT(g_Player.lockOnCooldown, 0);
  w.Hold(CabInput::kButton2);
  w.Step();
  w.ReleaseAll();
  EXPECT_EQ(g_Player.controlMode, Player::CONTROL_NORMAL);
}

TEST(PlayerSpecial, WithoutTargetsTheLockOnEndsAndShieldsTheShipBriefly) {
  PlayWorld w;
  ASSERT_NO_FATAL_FAILURE(RunPastTheEntry(w));
  w.Hold(CabInput::kButton2);
  w.Step();
  w.ReleaseAll();
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_LOCKON);
  int frames = 0;
  while (g_Player.controlMode == Player::CONTROL_LOCKON && frames < 100) frames += w.Step();
  // Motion 16 (180 to 190 at 5 a frame) ends on the frame after the press,
  // 17 (to 200 at 0.6) after 17 more, 18 (to 210 at 0.4) after 26 (the
  // sum of 0.4s falls just short of 10 after 25); the next frame ends the
  // lock-on.
  EXPECT_EQ(frames, 45);
  EXPECT_ALL({VAL(g_Player.controlMode, Player::CONTROL_NORMAL), VAL(g_Player.invulnerability, 19),
              VAL(g_Player.options.PresentCount(), 2), VAL(g_DashForm.dashState, DashForm::DASH_IDLE)});
  // 240 frames of cooldown, counted in normal control only.
  EXPECT_EQ(g_Player.lockOnCooldown, 240);
  int ready = 0;
  while (g_Player.lockOnCooldown > 0 && ready < 300) ready += w.Step();
  EXPECT_EQ(ready, 240);
}

TEST(PlayerSpecial, TheDashOpeningArmsEverySlot) {
  PlayWorld w;
  ASSERT_NO_FATAL_FAILURE(RunPastTheEntry(w));
  Formation f;
  f.Spawn9();
  w.Hold(CabInput::kButton2);
  w.Step();
  w.ReleaseAll();
  for (int i = 0; i < 40 && g_Player.controlMode != Player::CONTROL_DASH; ++i) w.Step();
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_DASH);
  ASSERT_EQ(g_DashForm.targetCount, 7);
  EXPECT_EQ(g_DashForm.slots[0].marker, DashForm::MARK_CURRENT);  // while the dash opens
  for (int i = 0; i < 30 && g_DashForm.dashState == DashForm::DASH_OPENING; ++i) w.Step();
  ASSERT_EQ(g_DashForm.dashState, DashForm::DASH_AIMING);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(g_DashForm.slots[i].marker, DashForm::MARK_ARMED) << i;
}

}  // namespace
