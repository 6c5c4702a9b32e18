// Boss type 15: the descent under the light shafts and the attack cycle
// with its waits, the arena loop it arms, the shot bounce rules at the play
// area's edges, the time-out, and the defeat show after which the boss
// ends with its satellites and the timeline and the rail go on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/boss15/EnemyType15.h"
#include "game/stage/MapMng.h"
#include "boss_rig.h"
#include "gen_expect.h"
#include "platform/crt_rand.h"
#include "support/BossFight.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"

namespace {

using Rig = enemytest::BossRig<EnemyType15>;

TEST(Boss15, DescentThenTheCycleOfAttacks) {
  Rig r(15, 100000, 30.0f);  // every stretch a 30-frame loop
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_MapMng.armedT, 179.0f);
  EXPECT_EQ(g_MapMng.armedAt, 849.0f);
  EXPECT_EQ(r.boss->body.disabled, 1);
  // 121 frames waiting, 181 on the path, the two stretches, then state 1.
  r.RunState(1000);
  EXPECT_EQ(r.State(), 1);
  EXPECT_EQ(r.boss->body.disabled, 0);
  const std::vector<std::pair<int32_t, int>> cycle = {
      {1, 301}, {14, -1}, {2, 601}, {14, -1}, {3, 391}, {14, -1}, {4, -1}, {14, -1}, {5, 1081},
      {14, -1}, {100000, 61}, {14, -1}, {7, -1}, {100000, 61}, {14, -1}, {1, 301}};
  for (const auto& [state, frames] : cycle) {
    // State 6 only turns to the return at once.
    ASSERT_EQ(r.State(), state);
    if (state == 5) {
      r.m.rig.Run(200);
      EXPECT_EQ(r.boss->Script().curtain.LiveCount(), 6);
      EXPECT_EQ(r.RunState(2000) + 200, frames);
      continue;
    }
    const int took = r.RunState(2000);
    if (frames > 0) { EXPECT_EQ(took, frames) << "state " << state; }
  }
}

// The descent places both model satellites at once (rate 1.0: each glide
// stands on its goal, 100 from the boss at 0.12 and 0.38 turn: x = -+100
// cos 43.2 deg, y = -500 + 100 sin 43.2 deg) while their models stand on
// the boss at (0, -500, 0); their first frame puts the models on the goals.
// The body's draw turns its model from a quarter turn about x written
// exactly: with both angles 0 the rows are (1, 0, 0), (0, 0, 1), (0, -1, 0).
TEST(Boss15, DescentPlacesItsSatellitesAndTurnsItsModelExactly) {
  Rig r(15, 100000, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  const float goals[2][2] = {{72.896863f, -431.545289f}, {-72.896863f, -431.545289f}};
  for (int i = 0; i < 2; ++i) {
    const BossOption3D& o = s.options[i];
    EXPECT_EQ(o.Position()[0], 0.0f) << i;
    EXPECT_EQ(o.Position()[1], -500.0f) << i;
    EXPECT_EQ(o.Position()[2], 0.0f) << i;
    EXPECT_NEAR(o.glide.current[0], goals[i][0], 1e-3f) << i;
    EXPECT_NEAR(o.glide.current[1], goals[i][1], 1e-3f) << i;
  }
  for (int k = 0; k < 10 && s.frame < 1; ++k) r.m.rig.Run();
  ASSERT_EQ(s.frame, 1);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(s.options[i].Position()[0], goals[i][0], 1e-3f) << i;
    EXPECT_NEAR(s.options[i].Position()[1], goals[i][1], 1e-3f) << i;
  }
  r.boss->angles[0] = r.boss->angles[1] = 0.0f;
  r.boss->SendEvent(SProc::EVENT_DRAW, 0);
  const SMatrix* m = r.boss->PlacementNode()->GetLocal();
  const float rows[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, -1.0f, 0.0f}};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) EXPECT_EQ(m->m[row][col], rows[row][col]) << row << " " << col;
  EXPECT_EQ(m->m[3][1], -500.0f);
}

// On an odd step of state 1 the body fires its six shots of code 3 in the
// order A, A - 0.015, A + 0.015, then 0.5 - A, 0.5 - (A - 0.015),
// 0.5 - (A + 0.015); then option 1 fires 0x203 at B, B - 0.015, B + 0.015
// and option 2 at 0.5 minus those. Step 1: A = 0.69, B = 0.655.
TEST(Boss15, TwinFanShotsInTheirOrder) {
  Rig r(15, 100000, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(1000);
  ASSERT_EQ(r.State(), 1);
  ASSERT_EQ(r.boss->Script().frame, 1);
  EShotMan::ClearAll(0);
  r.m.rig.Run();
  const std::pair<int32_t, float> want[12] = {
      {3, 0.69f},     {3, 0.675f},    {3, 0.705f},    {3, 0.81f},     {3, 0.825f},    {3, 0.795f},
      {0x203, 0.655f}, {0x203, 0.64f}, {0x203, 0.67f}, {0x203, 0.845f}, {0x203, 0.86f}, {0x203, 0.83f}};
  size_t n = 0;
  for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody(), ++n) {
    ASSERT_LT(n, 12u);
    const auto* shot = reinterpret_cast<const EShot*>(b->power);
    EXPECT_EQ(shot->batch << 8 | shot->kind, want[n].first) << n;
    EXPECT_NEAR(shot->angle - std::floor(shot->angle), want[n].second, 1e-5f) << n;
  }
  EXPECT_EQ(n, 12u);
}

// The angles (turns, in [0, 1)) of the enemy shots fired by the frame, by
// batch << 8 | kind, each list sorted.
std::vector<std::pair<int32_t, std::vector<float>>> FrameShots(Rig& r) {
  EShotMan::ClearAll(0);
  r.m.rig.Run();
  std::vector<std::pair<int32_t, std::vector<float>>> out;
  for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) {
    const auto* shot = reinterpret_cast<const EShot*>(b->power);
    const int32_t code = shot->batch << 8 | shot->kind;
    auto it = std::find_if(out.begin(), out.end(), [&](const auto& e) { return e.first == code; });
    if (it == out.end()) it = out.insert(out.end(), {code, {}});
    it->second.push_back(shot->angle - std::floor(shot->angle));
  }
  std::sort(out.begin(), out.end());
  for (auto& e : out) std::sort(e.second.begin(), e.second.end());
  return out;
}

std::vector<float> Turns(std::vector<float> v) {
  for (float& a : v) a -= std::floor(a);
  std::sort(v.begin(), v.end());
  return v;
}

void ExpectTurns(const std::vector<float>& got, const std::vector<float>& want, int step) {
  ASSERT_EQ(got.size(), want.size()) << step;
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-5f) << step << " " << i;
}

// State 1: on odd steps of the first 15 of every 20 the boss fires code 3
// at A, A -+ 0.015 and their mirrors 0.5 - a, A = 0.7 - 0.01 (step / 20 + 1);
// in the first 20 of every 30 the options fire 0x203 at B, B -+ 0.015
// (option 1) and 0.5 - those (option 2), B = 0.625 + 0.03 (step / 30 + 1);
// both stop once the first fan's counter has passed 10 (step 200). State
// 2: each frame A and B move by d = (step / 180 + 1) 0.01 from 0 and 0.5
// (A up, B down), then option 1 fires code 4 at A - 0.25 and option 2
// 0x204 at B + 0.25.
TEST(Boss15, FanAndOptionStreamAngles) {
  Rig r(15, 100000, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(1000);
  ASSERT_EQ(r.State(), 1);
  auto& s = r.boss->Script();
  while (s.frame <= 300 && r.State() == 1) {
    const int step = s.frame;
    const auto shots = FrameShots(r);
    std::vector<std::pair<int32_t, std::vector<float>>> want;
    if (step % 2 == 1 && step < 200 && step % 20 < 15) {
      const float a = 0.7f - 0.01f * float(step / 20 + 1);
      want.push_back({0x003, Turns({a, a - 0.015f, a + 0.015f, 0.5f - a, 0.5f - (a - 0.015f), 0.5f - (a + 0.015f)})});
    }
    if (step % 2 == 1 && step < 200 && step % 30 < 20) {
      const float b = 0.625f + 0.03f * float(step / 30 + 1);
      want.push_back({0x203, Turns({b, b - 0.015f, b + 0.015f, 0.5f - b, 0.5f - (b - 0.015f), 0.5f - (b + 0.015f)})});
    }
    ASSERT_EQ(shots.size(), want.size()) << step;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(shots[i].first, want[i].first) << step;
      ExpectTurns(shots[i].second, want[i].second, step);
    }
  }
  // The first frame of state 2 is its step 0.
  auto shots = FrameShots(r);
  for (int k = 0; k < 2000 && r.State() != 2; ++k) shots = FrameShots(r);
  ASSERT_EQ(r.State(), 2);
  float a = 0.0f, b = 0.5f;
  for (int step = 0; step < 100; ++step) {
    if (step > 0) shots = FrameShots(r);
    ASSERT_EQ(s.frame, step + 1);
    const float d = (float(step) / 180.0f + 1.0f) * 0.01f;
    a += d, b -= d;
    ASSERT_EQ(shots.size(), 2u) << step;
    EXPECT_EQ(shots[0].first, 0x004);
    ExpectTurns(shots[0].second, Turns({a - 0.25f}), step);
    EXPECT_EQ(shots[1].first, 0x204);
    ExpectTurns(shots[1].second, Turns({b + 0.25f}), step);
  }
}

// State 3: at step 30 of each 100 a flower of 192 shots (code 12) at
// b +- 0.2u + 0.25 (b = j/8, u = i/12) with speeds 4.5 - 3.6u; at step 45
// generator F. State 5: generator L on entry; at steps 120, 180 and 240 a
// laser from each of options 2D (0, 5), (1, 4), (2, 3) with firing time
// 540 - step; at 414 five lasers from the body (the last with duration
// 30). State 7: generators S1, S2, S3 on entry.
TEST(Boss15, FlowerGeneratorsAndLasersWithTheirValues) {
  using enemytest::ExpectGen;
  using enemytest::ExpectLaser;
  using enemytest::LaserWant;
  using enemytest::LiveGens;
  using enemytest::LiveLasers;
  Rig r(15, 100000, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  for (int k = 0; k < 5000 && r.State() != EnemyType15Behavior::FLOWERS; ++k) r.m.rig.Run();
  ASSERT_EQ(r.State(), EnemyType15Behavior::FLOWERS);
  while (s.frame != 30) r.m.rig.Run();
  EShotMan::ClearAll(0);
  r.m.rig.Run();
  std::vector<float> angles, want;
  std::vector<float> speeds, wantSpeeds;
  for (HitBody* b = HitGroupTable[EShotMan::kHitGroup].Head(); b != nullptr; b = b->NextBody()) {
    const auto* shot = reinterpret_cast<const EShot*>(b->power);
    EXPECT_EQ(shot->batch << 8 | shot->kind, 12);
    angles.push_back(shot->angle - std::floor(shot->angle));
    speeds.push_back(shot->speed);
  }
  for (int i = 0; i < 12; ++i)
    for (int j = 0; j < 8; ++j) {
      const float u = float(i) / 12.0f, b = float(j) / 8.0f;
      want.push_back(b + 0.2f * u + 0.25f);
      want.push_back(b - 0.2f * u + 0.25f);
      wantSpeeds.insert(wantSpeeds.end(), 2, 4.5f - 3.6f * u);
    }
  ASSERT_EQ(angles.size(), 192u);
  ExpectTurns(Turns(angles), Turns(want), 30);
  std::sort(speeds.begin(), speeds.end());
  std::sort(wantSpeeds.begin(), wantSpeeds.end());
  for (size_t i = 0; i < speeds.size(); ++i) EXPECT_NEAR(speeds[i], wantSpeeds[i], 1e-5f) << i;
  while (s.frame != 46) r.m.rig.Run();
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x20101, 5, 0x104, 0x104, 0, 0.01f, 0, 3.0f, 4.0f, 53, 1.0f, 1, 0, 0, 2, 0, 0, 0, 0, 0,
                               0, 0, -1, -1, 0});
  }
  for (int k = 0; k < 5000 && r.State() != EnemyType15Behavior::CURTAIN; ++k) r.m.rig.Run();
  ASSERT_EQ(r.State(), EnemyType15Behavior::CURTAIN);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x20101, 5, 0x20A, 0x20A, 0, 0.25f, 0.7f, 5.5f, 6.0f, 51, 1.0f, 1, 0, 8, 3, 11, 30, 0,
                               0, 0, 0, 0, -1, -1, 0});
  }
  size_t seen = 0;
  for (int at : {120, 180, 240}) {
    while (s.frame != at) r.m.rig.Run();
    r.m.rig.Run();
    const auto l = LiveLasers(r.boss);
    ASSERT_EQ(l.size(), seen + 2) << at;
    for (size_t i = seen; i < l.size(); ++i)
      ExpectLaser(*l[i], LaserWant{0x40000, 25.0f, 540 - at, 0, 0.7f, 2.0f, 5.0f, 32.0f, 18.0f, 3.0f, 6.0f, 30.0f,
                                   15.0f, 0});
    seen = l.size();
  }
  while (s.frame != 414) r.m.rig.Run();
  r.m.rig.Run();
  {
    const auto l = LiveLasers(r.boss);
    ASSERT_EQ(l.size(), seen + 5);
    for (size_t i = seen; i < l.size(); ++i)
      ExpectLaser(*l[i], LaserWant{0x240000, 25.0f, 300, 3, 0.7f, 2.0f, 5.0f, 64.0f, 45.0f, 3.0f, 6.0f, 60.0f, 37.5f,
                                   i + 1 == l.size() ? 30 : 0});
  }
  for (int k = 0; k < 5000 && r.State() != EnemyType15Behavior::RINGS; ++k) r.m.rig.Run();
  ASSERT_EQ(r.State(), EnemyType15Behavior::RINGS);
  {
    const auto g = LiveGens(r.boss);
    ASSERT_EQ(g.size(), 3u);
    ExpectGen(*g[0], ShotTuple{0x101, 5, 0x20B, 0x20B, 0.25f, 0, 0, 7.0f, 5.0f, 1, 0, 1, 0, 0, 7, 10000, 30, 0, 0, 0,
                               0, 0, -1, -1, 0});
    ExpectGen(*g[1], ShotTuple{0x101, 5, 0x20B, 0x20B, 0.25f, 0, 0, 8.0f, 6.0f, 1, 0, 1, 0, 0, 9, 10000, 40, -30.0f,
                               0, 0, 0, 20.0f, -1, -1, 0});
    ExpectGen(*g[2], ShotTuple{0x101, 5, 0x20B, 0x20B, 0.25f, 0, 0, 6.0f, 4.0f, 1, 0, 1, 0, 0, 6, 10000, 50, 30.0f, 0,
                               0, 0, 30.0f, -1, -1, 0});
  }
}

// The laser curtain's model satellites circle the boss on a ring turned by
// the game's shared view matrix (the stage camera's view; here that of a
// camera turned half a turn about y: x and z flip) after a 0.075-turn tilt
// about x, around the boss raised by 80: the offset (x, y, 0) becomes
// (-x, y cos 27 deg, -y sin 27 deg). The sprite satellites' laser origins
// take that view's turn.
TEST(Boss15, CurtainRingTurnedByTheSharedView) {
  Rig r(15, 100000, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  std::optional<Game> own;
  if (GetGame() == nullptr) own.emplace();
  Game& game = *GetGame();
  auto& s = r.boss->Script();
  SMatrix view = kIdentityMatrix;
  view.m[0][0] = -1.0f, view.m[2][2] = -1.0f;
  view.m[3][0] = 500.0f, view.m[3][1] = -700.0f, view.m[3][2] = 9000.0f;
  const auto frame = [&] {
    game.StageCamera() = view;
    r.m.rig.Run();
  };
  for (int k = 0; k < 5000 && r.State() != EnemyType15Behavior::CURTAIN; ++k) frame();
  ASSERT_EQ(r.State(), EnemyType15Behavior::CURTAIN);
  const double c = std::cos(0.15 * M_PI), sn = std::sin(0.15 * M_PI);
  for (int k = 0; k < 3; ++k) {
    frame();
    // The two goals lie half a turn apart: their middle is the ring's
    // centre, 80 above the boss (which moves on a little in the frame after
    // its script), and half their difference is satellite 0's offset.
    const float* b = s.position;
    const float* g0 = s.options[0].glide.goal;
    const float* g1 = s.options[1].glide.goal;
    const double a = 2.0 * M_PI * double(s.angleA);
    const double x = 270.0 * std::cos(a), y = 270.0 * std::sin(a);
    EXPECT_NEAR((g0[0] - g1[0]) / 2.0, -x, 1e-2) << k;
    EXPECT_NEAR((g0[1] - g1[1]) / 2.0, y * c, 1e-2) << k;
    EXPECT_NEAR((g0[2] - g1[2]) / 2.0, -y * sn, 1e-2) << k;
    EXPECT_NEAR((g0[0] + g1[0]) / 2.0, b[0], 0.5) << k;
    EXPECT_NEAR((g0[1] + g1[1]) / 2.0, b[1] - 80.0, 3.0) << k;
    EXPECT_NEAR((g0[2] + g1[2]) / 2.0, b[2], 1e-2) << k;
  }
  while (s.frame != 120) frame();
  frame();
  for (int i : {0, 5}) {
    const BossOption2D* o = s.curtain.Live(i);
    ASSERT_NE(o, nullptr) << i;
    const SMatrix& m = s.laserOrigins[i];
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 4; ++col) EXPECT_FLOAT_EQ(m.m[row][col], view.m[row][col]) << i;
  }
}

TEST(Boss15, ShotsReboundFromTheSidesAndTheTopOnly) {
  testsupport::WeaponRig w;
  w.PlacePlayer(0.0f, 300.0f);
  struct Case {
    float x, y, angle;
    int32_t id;
    float expected;
  } cases[] = {
      {250, 0, 0.0f, 0, 0.5f},       // straight right at the right edge: back left
      {250, 0, 0.9f, 0, 0.6f},       // right edge, heading up: up and left
      {-250, 0, 0.6f, 0, 0.9f},      // left edge
      {-250, 0, 0.3f, 0, 0.2f},      // left edge, heading down
      {0, -330, 0.7f, 0, 0.3f},      // top edge
      {250, -330, 0.9f, 0, 0.4f},    // corner: right, then top
      {0, 330, 0.25f, 0, 0.25f},     // the bottom edge does not reflect
      {250, 0, 0.0f, 1, 0.0f},       // another id is left alone
      {100, 0, 1.2f, 0, 0.2f},       // inside: the angle only wrapped
  };
  std::vector<EShot*> shots;
  for (const Case& c : cases) {
    EShot* s = EShotMan::Fire(3, 5, 0, 0, 0, c.angle, 3.0f, nullptr, c.id, nullptr, 1.0f);
    ASSERT_NE(s, nullptr);
    s->position[0] = c.x, s->position[1] = c.y;
    shots.push_back(s);
  }
  BounceShots(0);
  for (size_t i = 0; i < shots.size(); ++i) {
    EXPECT_NEAR(shots[i]->angle, cases[i].expected, 1e-5f) << i;
    if (cases[i].id == 0 && cases[i].angle != cases[i].expected && cases[i].y != 330) {
      EXPECT_FLOAT_EQ(shots[i]->speed, 3.0f) << i;
      EXPECT_NEAR(shots[i]->velocity[0], 3.0f * std::cos(cases[i].expected * 6.2831855f), 1e-4f) << i;
    }
  }
}

// Out of time after its first attack the boss defeats itself; its show
// shakes it (two draws a frame), takes it to the centre, and once it is
// over (its last stretch completed twice) the boss ends, its satellites and
// its collision body with it, and in that frame the timeline goes on.
TEST(Boss15, TimeOutAndTheDefeatShowLetTheTimelineGo) {
  Rig r(15, 400, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(1000);
  EXPECT_EQ(r.RunState(400), 301);
  EXPECT_EQ(r.State(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, 0);
  EXPECT_EQ(g_MapMng.armed, 0);
  const uint32_t before = plat::RandSeed();
  r.m.rig.Run();
  uint32_t s = before;
  for (int i = 0; i < 2; ++i) s = s * 214013u + 2531011u;
  EXPECT_EQ(plat::RandSeed(), s);
  EnemyType15* boss = r.boss;
  auto& script = boss->Script();
  int ended = -1, lastStep = -1;
  uint32_t lastCount = 0;
  bool killedWithIt = false;
  for (int f = 1; f <= 1000 && ended < 0; ++f) {
    lastStep = script.step, lastCount = boss->animator.count;
    r.m.rig.Run();
    if (g_EnemySet.paused == 0) {
      ended = f;
      killedWithIt = boss->GetState() >= SProc::STATE_KILLED &&
                     script.options[0].GetState() >= SProc::STATE_KILLED &&
                     script.options[1].GetState() >= SProc::STATE_KILLED;
    }
  }
  EXPECT_GT(ended, 76 + 121 + 120);
  // It ends in sub-step 6, in the frame its stretch has completed twice.
  EXPECT_EQ(lastStep, 6);
  EXPECT_EQ(lastCount, 1u);
  EXPECT_TRUE(killedWithIt);
  r.m.rig.Run();
  EXPECT_EQ(r.m.rig.Enemies(), 0);
  EXPECT_EQ(HitGroupTable[kHitGroupEnemy].Head(), nullptr);
}

// The defeat's first sub-step counts its step between the clear screen
// and its later marks: run k of the defeat (from 1, with the entry) sets
// the range 569..575 on k = 8, 575..585 on k = 56 and starts the path to
// the centre on k = 76; the boss shakes (two draws) on each of those 76
// runs and on none after them.
TEST(Boss15, DefeatMarksReadTheCountedStep) {
  Rig r(15, 400, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(1000);
  ASSERT_EQ(r.RunState(400), 301);
  ASSERT_EQ(r.State(), EnemyBase::SCRIPT_DEFEATED);
  auto& s = r.boss->Script();
  const EnemyBase& e = *r.boss;
  ASSERT_EQ(s.step, 0);
  ASSERT_EQ(s.frame, 1);
  int range569 = -1, range575 = -1, path = -1, draws = 0;
  for (int k = 2; k <= 80; ++k) {
    const uint32_t before = plat::RandSeed();
    r.m.rig.Run();
    draws += enemytest::RandDraws(before, plat::RandSeed());
    if (range569 < 0 && e.animator.start == 569.0f) range569 = k;
    if (range575 < 0 && e.animator.start == 575.0f) range575 = k;
    if (path < 0 && s.step == 1) path = k;
  }
  EXPECT_EQ(range569, 8);
  EXPECT_EQ(range575, 56);
  EXPECT_EQ(path, 76);
  EXPECT_EQ(draws, 2 * (76 - 1));
}

// The descent's sounds by sub-step and step, on stage 5 as it plays:
// effect 29 when the wait of 120 steps ends (sub-step 0, step 120), effect
// 21 at step 40 of sub-step 2 and effect 29 stopped at its step 60; voice
// 53 when sub-step 2's stretch is done; voice 54 on entering state 1.
TEST(Boss15, DescentSoundsOnTheirSteps) {
  testsupport::BossFight f(5, 115);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  EnemyType15* boss = dynamic_cast<EnemyType15*>(f.Boss());
  for (int k = 0; k < 200 && boss == nullptr; ++k) {
    f.Step();
    boss = dynamic_cast<EnemyType15*>(f.Boss());
  }
  ASSERT_NE(boss, nullptr);
  auto& s = boss->Script();
  ASSERT_EQ(s.GetState(), EnemyType15Behavior::DESCENT);
  ASSERT_EQ(s.step, 0);
  SRsc* se = testsupport::EffectBank();
  SRsc* vo = testsupport::VoiceBank();
  ASSERT_NE(se, nullptr);
  ASSERT_NE(vo, nullptr);
  testsupport::MarkSound(se, 29);
  testsupport::MarkSound(se, 21);
  testsupport::MarkSound(vo, 53);
  testsupport::MarkSound(vo, 54);
  using At = std::pair<int32_t, int32_t>;
  At se29{-1, -1}, se21{-1, -1}, stop29{-1, -1};
  int32_t voice53 = -1;
  bool slowed = false;
  for (int k = 0; k < 3000 && s.GetState() == EnemyType15Behavior::DESCENT; ++k) {
    // The stand-in model's stretch of sub-step 2 is shorter than 60 steps:
    // slowed down, its steps 40 and 60 come before it is done.
    if (s.step == 2 && !slowed) boss->animator.speed *= 0.1f, slowed = true;
    const At at{s.step, s.frame};
    f.Step();
    if (se29.first < 0 && testsupport::SoundPlayed(se, 29)) {
      se29 = at;
      testsupport::LoopSound(se, 29);
    }
    if (se29.first >= 0 && stop29.first < 0 && !testsupport::SoundPlaying(se, 29)) stop29 = at;
    if (se21.first < 0 && testsupport::SoundPlayed(se, 21)) se21 = at;
    if (voice53 < 0 && testsupport::SoundPlayed(vo, 53)) voice53 = at.first;
    if (s.GetState() == EnemyType15Behavior::DESCENT) { EXPECT_FALSE(testsupport::SoundPlayed(vo, 54)); }
  }
  EXPECT_EQ(se29, At(0, 120));
  EXPECT_EQ(se21, At(2, 40));
  EXPECT_EQ(stop29, At(2, 60));
  EXPECT_EQ(voice53, 2);
  EXPECT_EQ(s.GetState(), EnemyType15Behavior::TWIN_FANS);
  EXPECT_TRUE(testsupport::SoundPlayed(vo, 54));
}

// Stage 5's first boss from its stage record: the bouncing fans on the
// picture, then finished by the player's shots; its show over, it ends.
TEST(Boss15, HeadlessFightFromStageFive) {
  testsupport::BossFight f(5, 115, true);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType15*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  for (int k = 0; k < 1000 && boss->Script().GetState() != 1; ++k) f.Step();
  f.Step(150);
  plat::Image img;
  ASSERT_TRUE(f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss15_fans.png", 8, 400));
  const auto end = f.ShootDown(12, 1200);
  ASSERT_GT(end.defeated, 0);
  // It shakes 76 frames and flies home 120 before its last stretches: it
  // ends once they are over.
  EXPECT_GT(end.ended, end.defeated + 76 + 120);
  EXPECT_EQ(f.Boss(), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 0);
  EXPECT_EQ(g_MapMng.armed, 0);
}

}  // namespace
