// Parts of the player side on their own: motion tables and slots, the input
// step's taps, movement tweens, the blade-trail queue, shots, the enemy
// scan's tests and the bomb grid.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxMan.h"
#include "game/player/DashForm.h"
#include "game/player/EnemyScan.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/player/RecordQueue.h"
#include "platform/crt_rand.h"
#include "vrax/resource/SRscMan.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"
#include "test_enemy.h"

namespace {

using testsupport::PlayWorld;

// ------------------------------------------------------------ motion tables

TEST(PlayerMotion, SlotsPlayLoopChainAndHoldAsTheTableSays) {
  Player p;
  p.BuildMotionTables();
  ASSERT_EQ(p.tables[0].size(), 53u);
  ASSERT_EQ(p.tables[1].size(), 27u);
  // Row 14: 144..150 at 1.0, loops twice, then motion 15.
  p.StartMotion(0, 14);
  std::vector<float> frames;
  for (int i = 0; i < 13; ++i) {
    p.StepMotion(0);
    frames.push_back(p.slots[0].frame);
    if (p.slots[0].motion != 14) break;
  }
  EXPECT_EQ(p.slots[0].motion, 15);
  EXPECT_EQ(frames.size(), 12u);  // six frames a pass, two passes
  EXPECT_EQ(p.slots[0].frame, 150.0f);
  // Row 23 (220..230 backwards at 0.4, holding its end) holds its first
  // frame after one step, since it starts there.
  p.StartMotion(0, 23);
  p.StepMotion(0);
  EXPECT_ALL({VAL(p.slots[0].frame, 220.0f), VAL(p.slots[0].ended, 1)});
  // Row 2 loops for ever; row 18 ends into motion 0, marked ended.
  p.StartMotion(0, 2);
  for (int i = 0; i < 30; ++i) p.StepMotion(0);
  EXPECT_EQ(p.slots[0].motion, 2);
  EXPECT_GE(p.slots[0].frame, 30.0f);
  p.StartMotion(0, 18);
  for (int i = 0; i < 30; ++i) p.StepMotion(0);
  EXPECT_ALL({VAL(p.slots[0].motion, 0), VAL(p.slots[0].ended, 1)});
  // Motion numbers outside the table start motion 0; a row beyond the
  // table's end is not written.
  for (int bad : {-5, 53, 1000}) {
    p.StartMotion(0, bad);
    EXPECT_ALL({VAL(p.slots[0].motion, 0), VAL(p.slots[0].frame, 0.0f)});
  }
  p.StartMotion(1, 27);
  EXPECT_EQ(p.slots[1].motion, 0);
  p.SetMotionEntry(0, 53, 1, 0, 0, 1.0f, 2.0f, 1.0f);
  EXPECT_EQ(p.tables[0].size(), 53u);
}

// ------------------------------------------------------------ input step

// Runs the input step on given pad counters (no game root: the pad is not
// read).
struct Inputs {
  Player p;
  void Frame(bool a, bool b) {
    p.padCounters[4] = a ? (p.padCounters[4] >= 0 ? p.padCounters[4] + 1 : 0) : -1;
    p.padCounters[5] = b ? (p.padCounters[5] >= 0 ? p.padCounters[5] + 1 : 0) : -1;
    p.UpdateInput(6);
  }
};

TEST(PlayerInput, BothButtonsAndTaps) {
  // B pressed 5 frames after A counts both; 6 frames after does not.
  for (int gap : {5, 6}) {
    Inputs in;
    for (int f = 0; f < gap; ++f) in.Frame(true, false);
    in.Frame(true, true);
    EXPECT_EQ(in.p.input.both, gap == 5 ? 1 : 0) << gap;
  }
  // A press of 3 frames taps on its release frame only; one of 20 never.
  for (int len : {3, 19, 20}) {
    Inputs in;
    std::vector<int> taps;
    for (int f = 0; f < len; ++f) in.Frame(true, false);
    for (int f = 0; f < 3; ++f) {
      in.Frame(false, false);
      taps.push_back(in.p.input.aTap);
    }
    EXPECT_EQ(taps, (std::vector<int>{len < 20 ? 1 : 0, 0, 0})) << len;
  }
  // Without the button bit every button word is 0.
  Inputs in;
  in.Frame(true, true);
  in.p.UpdateInput(2);
  EXPECT_ALL({VAL(in.p.input.a, 0), VAL(in.p.input.b, 0), VAL(in.p.input.both, 0)});
}

TEST(PlayerInput, TweensAddTheirEasedStepsAndPushOutMovesAQuarter) {
  Player p;
  Player::Tween t;
  t.length = 10;
  t.from = 0.0f;
  t.to = 100.0f;
  t.direction[0] = 1.0f;
  p.tweens.push_back(t);
  float x = 0.0f;
  for (int f = 0; f < 10; ++f) x += p.SumTweenOffsets().x;
  EXPECT_NEAR(x, 100.0f, 1e-3f);
  EXPECT_EQ(p.tweens.size(), 1u);
  EXPECT_EQ(p.SumTweenOffsets().x, 0.0f);  // past its length: removed
  EXPECT_TRUE(p.tweens.empty());
  // A solid body of radius 10 at (10, 0): the ship at the origin moves a
  // quarter of the way to (10 - 11, 0).
  float at[4] = {10.0f, 0.0f, 0.0f, 1.0f};
  HitBody solid;
  solid.Register(10, 0, at, 10.0f, nullptr, 0, 0);
  p.body.radius = 1.0f;
  p.position[0] = p.position[1] = 0.0f;
  p.PushOut(&solid);
  EXPECT_NEAR(p.position[0], -0.25f, 1e-5f);
  EXPECT_NEAR(p.position[1], 0.0f, 1e-5f);
  p.PushOut(nullptr);
  solid.Detach();
}

// ------------------------------------------------------------ blade trail

TEST(BladeTrail, TwelveRecordsAtMostAndTwelveQuadsPerSegment) {
  RecordQueue q;
  q.Prepare();
  for (int i = 0; i < 13; ++i) q.Push(SVec4{float(i), 0, 0, 1}, SVec4{float(i), 70, 0, 1});
  ASSERT_EQ(q.records.size(), 12u);
  EXPECT_EQ(q.records.front().a.x, 1.0f);  // the oldest went
  q.Clear();
  // One record draws nothing.
  q.Push(SVec4{0, 0, 0, 1}, SVec4{0, 70, 0, 1});
  q.BuildRibbon();
  EXPECT_EQ(q.ribbon.GetActiveCount(), 0);
  // One push and one tick a frame: 11 records live, 120 quads.
  q.Clear();
  for (int f = 0; f < 30; ++f) {
    q.Push(SVec4{float(f) * 10.0f, 0, 0, 1}, SVec4{float(f) * 10.0f, 70, 0, 1});
    q.Tick();
  }
  ASSERT_EQ(q.records.size(), 11u);
  EXPECT_EQ(q.records.back().life, 11);
  EXPECT_EQ(q.records.front().life, 1);
  q.BuildRibbon();
  EXPECT_EQ(q.ribbon.GetActiveCount(), 120);
  // Each quad is one colour: from near the tail (oldest, life 1: u from
  // 1/12 to 2/12) to the head colour (newest, life 11, u up to 1).
  const uint32_t oldest = q.ribbon.GetVertexColour(0);
  EXPECT_EQ(oldest, q.ribbon.GetVertexColour(3));
  const float u = 1.0f / 12.0f + (2.0f / 12.0f - 1.0f / 12.0f) * (1.0f / 12.0f);
  const float k = 1.0f - std::cos(u * 1.5707964f);
  EXPECT_EQ(oldest, SGpObj_Prim::PackColour(k, k, 1.0f, 0.5f * k));
  // The last quad is the last slice of record 9 (life 10): u = 11/12.
  const uint32_t newest = q.ribbon.GetVertexColour(119 * 4);
  const float kn = 1.0f - std::cos((10.0f / 12.0f + 1.0f / 12.0f) * 1.5707964f);
  EXPECT_EQ(newest, SGpObj_Prim::PackColour(kn, kn, 1.0f, 0.5f * kn));
}

// ------------------------------------------------------------ shots

TEST(PlayerShots, DamageByDifficultyTheMarginAndHitsFromThisPoolOnly) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  g_PShotMan.ReleaseAll();
  // Damage 8.0 registers power 16 on difficulty 0, 4 on difficulty 4, and
  // 8 in a demo stage.
  struct Case {
    int32_t difficulty, stage;
    intptr_t power;
  };
  for (const Case& c : {Case{0, 1, 16}, Case{4, 1, 4}, Case{2, 1, 8}, Case{0, 101, 8}, Case{9, 1, 8}}) {
    g->settings[SettingsWord::difficulty] = c.difficulty;
    g->stage = c.stage;
    PShot* s = g_PShotMan.Fire(0, 0, 0.0f, 0.0f, 0.0f, -35.0f, 1.0f, 1.0f, 8.0f);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->power, c.power) << c.difficulty << " " << c.stage;
    s->Release(1);
  }
  g->stage = 1;
  // The normal shot's quad: 38 x 64 on its sprite, front edge L/8 ahead of
  // the position, which moved L/4 forward.
  PShot* s = g_PShotMan.Fire(0, 0, 10.0f, 100.0f, 0.0f, -35.0f, 1.0f, 1.5f, 8.0f);
  ASSERT_NE(s, nullptr);
  EXPECT_ALL({VAL(s->position[1], 100.0f - 96.0f / 4.0f), VAL(s->group, 2), VAL(s->radius, 12.0f)});
  EXPECT_NEAR(s->corners[0][1], -96.0f / 8.0f, 1e-4f);
  EXPECT_NEAR(s->corners[2][1], -96.0f / 8.0f + 96.0f, 1e-4f);
  EXPECT_NEAR(std::fabs(s->corners[1][0] - s->corners[0][0]), 38.0f, 1e-4f);
  s->Release(1);
  // Shots live 32 px beyond the play area: one at y -330 going up goes in
  // the first frame's end, one at -300 in the second (a shot 64 long
  // starts 16 ahead of where it is fired).
  PShot* high = g_PShotMan.Fire(0, 0, 0.0f, -314.0f, 0.0f, -35.0f, 1.0f, 1.0f, 8.0f);
  PShot* lower = g_PShotMan.Fire(0, 0, 0.0f, -284.0f, 0.0f, -35.0f, 1.0f, 1.0f, 8.0f);
  ASSERT_EQ(g_PShotMan.LiveCount(), 2);
  EXPECT_EQ(high->position[1], -330.0f);
  w.Step();
  EXPECT_EQ(g_PShotMan.LiveCount(), 1);
  EXPECT_EQ(lower->position[1], -335.0f);
  w.Step();
  EXPECT_EQ(g_PShotMan.LiveCount(), 0);
  // A hit releases its shot; an event naming anything else releases none.
  PShot* hit = g_PShotMan.Fire(0, 0, 0.0f, 0.0f, 0.0f, -35.0f, 1.0f, 1.0f, 8.0f);
  HitBody stranger;
  g_PShotMan.SendEvent(7, reinterpret_cast<SProcArg>(&stranger));
  g_PShotMan.SendEvent(7, reinterpret_cast<SProcArg>(hit) + 4);
  EXPECT_EQ(g_PShotMan.LiveCount(), 1);
  g_PShotMan.SendEvent(7, reinterpret_cast<SProcArg>(hit));
  EXPECT_EQ(g_PShotMan.LiveCount(), 0);
  // A second event for the released shot neither releases nor sparks.
  const uint32_t seed = plat::RandSeed();
  g_PShotMan.SendEvent(7, reinterpret_cast<SProcArg>(hit));
  EXPECT_EQ(plat::RandSeed(), seed);
  // A full pool refuses.
  for (int i = 0; i < 128; ++i) g_PShotMan.Fire(0, 0, 0.0f, 0.0f, 0.0f, -1.0f, 1.0f, 1.0f, 1.0f);
  EXPECT_EQ(g_PShotMan.Fire(0, 0, 0.0f, 0.0f, 0.0f, -1.0f, 1.0f, 1.0f, 1.0f), nullptr);
}

TEST(PlayerShots, TheBatchFollowsTheCollisionListsOrder) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  g_PShotMan.ReleaseAll();  // cursor 0
  // A full pool of slow shots at x = 0 fills cells 0 to 127; the cursor
  // wraps to 0.
  std::vector<PShot*> shots;
  for (int i = 0; i < 128; ++i)
    shots.push_back(g_PShotMan.Fire(0, 0, 0.0f, 0.0f, 0.0f, -1.0f, 1.0f, 1.0f, 1.0f));
  ASSERT_NE(shots.back(), nullptr);
  // The first shot's hit frees cell 0, and the next shot, at x = 100, takes
  // it: first in the pool, last in the group's list.
  g_PShotMan.SendEvent(7, reinterpret_cast<SProcArg>(shots[0]));
  PShot* late = g_PShotMan.Fire(0, 0, 100.0f, 0.0f, 0.0f, -1.0f, 1.0f, 1.0f, 1.0f);
  ASSERT_NE(late, nullptr);
  ASSERT_EQ(g_PShotMan.Pool().IndexOf(late), 0);
  w.Step();
  const SGpObj_PrimQuad& batch = g_PShotMan.Batch();
  ASSERT_EQ(batch.GetActiveCount(), 128);
  // Quads in list order: the 127 older shots, then the late one.
  EXPECT_LT(batch.GetVertexPos(0).x, 50.0f);
  EXPECT_GT(batch.GetVertexPos(4 * 127).x, 50.0f);
  g_PShotMan.ReleaseAll();
}

// ------------------------------------------------------------ enemy scan

TEST(EnemyScanTests, LockAndDashTestsAtTheScreenEdge) {
  std::vector<testenemy::Logged> log;
  testenemy::TestEnemy e(&log, 0);
  e.classKind = EObjBase::KIND_SIMPLE;
  float p[4] = {240.0f, 0.0f, 0.0f, 1.0f};
  e.body.Register(7, 0x7F, p, 8.0f, &e, 0, 100);
  EXPECT_TRUE(DashForm::IsLockable(&e.body, p));
  EXPECT_TRUE(DashForm::IsDashable(&e.body, p));
  p[0] = 240.01f;
  EXPECT_FALSE(DashForm::IsLockable(&e.body, p));
  EXPECT_FALSE(DashForm::IsDashable(&e.body, p));
  e.body.SetFlags(kHitDashAnywhere);
  EXPECT_TRUE(DashForm::IsDashable(&e.body, p));
  // Grabbed or defeated enemies are no targets; a disabled body neither.
  p[0] = 0.0f;
  e.grabbed = 1;
  EXPECT_TRUE(DashForm::IsDashable(&e.body, p));  // 0x200 passes at once
  e.body.ClearFlags(kHitDashAnywhere);
  EXPECT_FALSE(DashForm::IsDashable(&e.body, p));
  e.grabbed = 0;
  e.grabMode = EObjBase::GRAB_HELD;
  EXPECT_FALSE(DashForm::IsLockable(&e.body, p));
  e.grabMode = EObjBase::GRAB_DEFEATED;
  EXPECT_FALSE(DashForm::IsDashable(&e.body, p));
  e.grabMode = EObjBase::GRAB_FREE;
  e.body.SetDisabled(1);
  EXPECT_FALSE(DashForm::IsLockable(&e.body, p));
  e.body.Detach();
}

TEST(EnemyScanTests, BombGridDrawsThirtySixNumbers) {
  plat::SRand(7);
  std::vector<float> r;
  for (int i = 0; i < 36; ++i) r.push_back(static_cast<float>(plat::Rand()) / 32767.0f);
  const uint32_t after = plat::RandSeed();
  plat::SRand(7);
  EnemyScan::BombGrid();
  EXPECT_EQ(plat::RandSeed(), after);
  const std::vector<SVec4>& pts = EnemyScan::BombPoints();
  ASSERT_EQ(pts.size(), 12u);
  // Point i: r2 then r1; x by column i mod 3, y by row floor(i / 4).
  for (int i : {0, 5, 11}) {
    const float r2 = r[static_cast<size_t>(2 * i)], r1 = r[static_cast<size_t>(2 * i + 1)];
    EXPECT_FLOAT_EQ(pts[i].x, static_cast<float>(i % 3) * 160.0f + 80.0f - 240.0f + (r1 - 0.5f) * 120.0f) << i;
    EXPECT_FLOAT_EQ(pts[i].y, static_cast<float>(i / 4) * 160.0f + 80.0f - 320.0f + (r2 - 0.5f) * 120.0f) << i;
  }
}

// ------------------------------------------------------------ outer contacts

// The newest live shot.
const PShot* NewestShot() {
  const PShot* s = nullptr;
  for (int32_t i = 0; i < g_PShotMan.Pool().Capacity(); ++i)
    if (g_PShotMan.Pool().InUse(i) && (s == nullptr || g_PShotMan.Pool().At(i)->age < s->age))
      s = g_PShotMan.Pool().At(i);
  return s;
}

TEST(PlayerContacts, AnOuterContactFiresAShotUpwardsWithTheBodysAuxPower) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  g_PShotMan.ReleaseAll();
  g_Player.lockTargets = 0;
  g_Player.lockCursor = 0;
  float at[4] = {-100.0f, -100.0f, 0.0f, 1.0f};
  HitBody b;
  for (uint32_t aux : {100u, 30u}) {
    g_PShotMan.ReleaseAll();
    b.Register(10, 1, at, 10.0f, nullptr, 0, aux);
    g_Player.OnOuterContact(&b);
    ASSERT_EQ(g_PShotMan.LiveCount(), 1);
    const PShot* s = NewestShot();
    ASSERT_NE(s, nullptr);
    // From the body towards 300 px above the ship (at (0, 150)), give or
    // take 50 across: up and to the right.
    EXPECT_LT(s->velocity[1], -10.0f);
    EXPECT_GT(s->velocity[0], 20.0f);
    EXPECT_NEAR(std::hypot(s->velocity[0], s->velocity[1]), 35.0f, 1e-3f);
    EXPECT_EQ(s->power, aux == 100u ? 100 : 30);
    EXPECT_EQ(s->group, 2);
  }
  EXPECT_EQ(g_Player.effectShotCount, 2);
  EXPECT_EQ(g_Player.lockCursor, 2);
  b.Detach();
}

// ------------------------------------------------------------ events

TEST(PlayerEvents, ScriptedSequencesThatAreRefused) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  g_Player.SendEvent(Player::kEventScripted, 4);
  EXPECT_EQ(g_Player.state, Player::STATE_PLAY);
  g_Player.SendEvent(Player::kEventScripted, 1);
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_SCRIPTED), VAL(g_Player.scriptedSub, 1)});
  w.Step();
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_PLAY), VAL(g_Player.position[1], 80.0f)});
  // During the death only sequences 0, 1 and 3 are taken.
  g_Player.SetState(Player::STATE_DEATH);
  g_Player.SendEvent(Player::kEventScripted, 2);
  EXPECT_EQ(g_Player.state, Player::STATE_DEATH);
  g_Player.SendEvent(Player::kEventScripted, 0);
  EXPECT_EQ(g_Player.state, Player::STATE_SCRIPTED);
  // A state number outside 1 to 4 is kept and rests the ship at the origin
  // as state 0 does; no frame step runs in it.
  g_Player.SetState(7);
  EXPECT_ALL({VAL(g_Player.state, 7), VAL(g_Player.drawn, 0), VAL(g_Player.position[0], 0.0f),
              VAL(g_Player.position[1], 400.0f)});
  w.Step();
  EXPECT_ALL({VAL(g_Player.state, 7), VAL(g_Player.position[1], 400.0f)});
}

TEST(PlayerEvents, EveryStateChangeShowsTheMarkersAgain) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  for (int32_t s : {Player::STATE_SCRIPTED, Player::STATE_PLAY, Player::STATE_DEATH, Player::STATE_START,
                    Player::STATE_RESET}) {
    g_Player.lockMarkersShown = 0;
    g_Player.SetState(s, 1);
    EXPECT_EQ(g_Player.lockMarkersShown, 1) << s;
  }
}

// ------------------------------------------------------------ options

TEST(PlayerOptions, AVanishingOptionLeavesARingFromRadius40To20Over15Frames) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  w.Step(20);
  const int32_t present = g_Player.options.PresentCount();
  ASSERT_EQ(present, 2);  // power 2.0: two options
  g_EfxMan.ClearAll();
  g_Player.options.ClearAll();
  int rings = 0;
  for (SObject* o = g_EfxMan.Live(3).HeadObj(); o != nullptr; o = o->GetNext(), ++rings) {
    const auto* r = static_cast<const EfxRing*>(o);
    EXPECT_ALL({VAL(r->r0, 40.0f), VAL(r->r1, 20.0f), VAL(r->life, 15)});
  }
  EXPECT_EQ(rings, present);
}

// ------------------------------------------------------------ drawing

TEST(PlayerDrawing, TheSecondPartRidesInHullPartThreesFrame) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  ASSERT_NE(GetRscMan()->Find("\\common\\osr_player", RscTag("MDL")), nullptr);
  // The part's offset (0, 3.3, 10) from part 3 turns with the hull, and the
  // part turns with it. A yaw of a quarter turn, about the view axis: rows
  // (0, 1, 0) and (-1, 0, 0), the offset (-3.3, 0, 10). A roll of a quarter
  // turn, about the nose's axis (y): rows (0, 0, -1) and (1, 0, 0), the
  // offset (10, 3.3, 0).
  struct Lean {
    int slot;
    float offset[3];
    float rows[3][3];
  };
  static constexpr Lean kLeans[] = {{2, {-3.3f, 0.0f, 10.0f}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}},
                                    {1, {10.0f, 3.3f, 0.0f}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}}};
  for (const Lean& l : kLeans) {
    SCOPED_TRACE(l.slot);
    g_Player.hullLean[l.slot] = 0.25f;
    w.Step();
    ASSERT_NE(g_Player.partPacket.path, nullptr);  // the second part is drawn
    const SMatrix& m = g_Player.partPacket.matrix;
    const SVec4 p3 = g_Player.BonePosition(Player::kPartMountBone);
    EXPECT_NEAR(m.m[3][0], p3.x + l.offset[0], 1e-3f);
    EXPECT_NEAR(m.m[3][1], p3.y + l.offset[1], 1e-3f);
    EXPECT_NEAR(m.m[3][2], p3.z + l.offset[2], 1e-3f);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(m.m[r][c], l.rows[r][c], 1e-5f) << r << c;
    g_Player.hullLean[l.slot] = 0.0f;
  }
}

// A dash of 200 px or more from (0, -50), its lean reached on the strike's
// third frame. Lean (pitch, 0.7 roll, direction + 0.25), turns; the nose is
// the model's -y, the face its z. Right (direction 0): roll -0.2, lean
// (0, -0.14, 0.25): the nose turned a quarter to (1, 0), the face banked,
// its depth cos(0.14 turn) = 0.63742. Down (0.25): roll 0, pitch
// -0.25 x 0.5, lean (-0.125, 0, 0.5): the nose (0, cos(0.125 turn)) =
// (0, 0.70711) and the face as deep. Up (-0.25): nothing turned, the nose
// (0, -1), the face 1.
TEST(PlayerDrawing, TheDashLeanTurnsTheNoseTowardsTheDash) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  struct Dash {
    float to[2];
    float nose[2];
    float face;
  };
  static constexpr Dash kDashes[] = {{{200.0f, -50.0f}, {1.0f, 0.0f}, 0.63742f},
                                     {{0.0f, 200.0f}, {0.0f, 0.70711f}, 0.70711f},
                                     {{0.0f, -250.0f}, {0.0f, -1.0f}, 1.0f}};
  std::vector<testenemy::Logged> log;
  int id = 0;
  for (const Dash& d : kDashes) {
    SCOPED_TRACE(id);
    ASSERT_EQ(g_Player.controlMode, Player::CONTROL_NORMAL);
    g_Player.position[0] = 0.0f;
    g_Player.position[1] = -50.0f;
    testenemy::Spawn(&log, id++, d.to[0], d.to[1]);
    g_Player.SendEvent(Player::kEventDash, 0);
    ASSERT_EQ(g_DashForm.targetCount, 1);
    for (int i = 0; i < 60 && !(g_DashForm.dashState == DashForm::DASH_STRIKING && g_Player.leanCounter == 3); ++i)
      w.Step();
    ASSERT_EQ(g_DashForm.dashState, DashForm::DASH_STRIKING);
    SMatrix m;
    g_Player.HullMatrix(&m);
    EXPECT_NEAR(-m.m[1][0], d.nose[0], 1e-4f);
    EXPECT_NEAR(-m.m[1][1], d.nose[1], 1e-4f);
    EXPECT_NEAR(m.m[2][2], d.face, 1e-4f);
    for (int i = 0; i < 200 && g_Player.controlMode != Player::CONTROL_NORMAL; ++i) w.Step();
  }
}

}  // namespace
