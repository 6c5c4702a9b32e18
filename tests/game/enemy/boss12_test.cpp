// Boss type 12 in the running program, spawned from its stage record: its
// rail loop, its attack cycle and its escape once out of time, its defeat
// by the ship's shots with the rail moved on and the timeline let go at the
// companion's frame 290, the wreck staying; the smoke's rand draws; frame by frame through
// one cycle: the sways' lengths and distances, every generator with its
// state, step and frame, the animation stretches, the turning volleys'
// angles; the way home and the escape past the time; the defeat's drift.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "boss_fight.h"
#include "game/effect/EShotGen.h"
#include "game/enemy/boss12/Boss12.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"

namespace {

using testsupport::PlayWorld;
using S = EnemyType12Behavior;

struct Run12 {
  std::vector<std::pair<int, int>> trace;  // (frame, state entered)
  int railMoved = -1;                      // frame the rail was moved to 4280
  float railAt = 0.0f;                     // the rail's position in that frame
  int end = -1;
};

// With `after` >= 0 it stops `after` frames past the rail's move.
Run12 Fight(PlayWorld& w, bossfight::BossStage& stage, bool fire, int limit, int after = -1) {
  Run12 r;
  SHandle<EnemyType12> h(static_cast<EnemyType12*>(stage.Spawn(12)));
  // The arena's loop is held from the boss's start.
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_MapMng.armedT, 3941.0f);
  EXPECT_EQ(g_MapMng.armedAt, 4311.0f);
  g_MapMng.t = 100.0f;
  int frame = 0;
  r.end = bossfight::Fight(w, limit, fire, [&] {
    if (r.railMoved < 0 && g_MapMng.t >= 4280.0f) r.railMoved = frame, r.railAt = g_MapMng.t;  // moved on
    if (after >= 0 && r.railMoved >= 0 && frame >= r.railMoved + after) return true;
    EnemyType12* boss = h.Get();
    if (boss == nullptr || boss->GetState() >= SProc::STATE_KILLED) return true;
    const int s = boss->Script().GetState();
    if (r.trace.empty() || r.trace.back().second != s) r.trace.emplace_back(frame, s);
    ++frame;
    return false;
  });
  return r;
}

int Span(const Run12& r, size_t i) { return r.trace[i + 1].first - r.trace[i].first; }

TEST(Boss12, HoldsTheRailCyclesAndEscapesOutOfTime) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(4, "osr_bs10", 98304);
  ASSERT_TRUE(stage.ok);
  const Run12 r = Fight(w, stage, false, 6000);
  std::vector<int> states;
  for (auto& t : r.trace) states.push_back(t.second);
  const std::vector<int> cycle = {0, 1, 2, 3, 4, 5, 6, 1, 2};
  ASSERT_GE(states.size(), cycle.size() + 1);
  EXPECT_EQ(std::vector<int>(states.begin(), states.begin() + 9), cycle);
  EXPECT_EQ(states.back(), S::kEscape);
  // The frame divider starts at 0 in each: 241 frames of hover, 291 of
  // turning volleys. The rise's keys of 160 and 140 frames end the path on
  // its call 161 + 140 = 301; the hover is entered on the boss's next frame,
  // 302, and seen one frame later than that from the spawn, whose first
  // frame only starts the new process.
  EXPECT_EQ(Span(r, 0), 1 + 301 + 1);
  EXPECT_EQ(Span(r, 1), 241);
  EXPECT_EQ(Span(r, 6), 291);
  // The escape path of 120 frames ends on its 121st (its enter frame being
  // the one before the state shows); then the rail loop is let go and the
  // boss ends, which lets the timeline go on.
  EXPECT_EQ(r.end - r.trace.back().first, 120);
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(Boss12, ShotDownItsCompanionMovesTheRailOnceAndLetsTheTimelineGo) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(4, "osr_bs10", 98304);
  ASSERT_TRUE(stage.ok);
  // The rail reaches 4280 at the companion's frame 290; the timeline is
  // let go then, and the wreck sinks on (still there 400 frames later).
  const Run12 r = Fight(w, stage, true, 4000, 400);
  ASSERT_FALSE(r.trace.empty());
  ASSERT_EQ(r.trace.back().second, EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(r.railMoved - r.trace.back().first, 290);
  EXPECT_GE(r.railAt, 4280.0f);
  EXPECT_LT(r.railAt, 4281.0f);  // the rail at most one frame's key past 4280
  EXPECT_EQ(r.end, r.railMoved + 400);
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(Boss12, SmokeDrawsNineValuesEverySeventhFrame) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(4, "osr_bs10", 98304);
  ASSERT_TRUE(stage.ok);
  auto* boss = static_cast<EnemyType12*>(stage.Spawn(12));
  ASSERT_NE(boss, nullptr);
  // The entrance fires nothing: in the boss's own frame the smoke alone
  // draws, on every seventh frame alive.
  for (int f = 0; f < 30; ++f) {
    w.Step();
    const int alive = boss->framesAlive + 1;
    EXPECT_EQ(bossfight::DrawsOf([&] { boss->SendEvent(SProc::EVENT_MAIN, 0); }), alive % 7 == 0 ? 9 : 0) << alive;
  }
}

// One frame of the boss: the state it ran, the step and the script's frame
// count that frame's work began with (0 and 0 in the frame a state is
// entered), and what it left: stretch, place, frames alive, live
// generators; and the generators it started in that frame.
struct Frame12 {
  int32_t state, step, frame;
  int32_t route;
  float x, z;
  int32_t alive, live;
};
struct Gen12 {
  int at;  // index of the frame
  int32_t state, step, frame;
  int32_t codeA;
  float base, from, to;
};
struct Trace12 {
  std::vector<Frame12> frames;
  std::vector<Gen12> gens;
  // The frames of state s, in order.
  std::vector<Frame12> Of(int32_t s) const {
    std::vector<Frame12> out;
    for (const Frame12& f : frames)
      if (f.state == s) out.push_back(f);
    return out;
  }
  std::vector<Gen12> GensOf(int32_t s) const {
    std::vector<Gen12> out;
    for (const Gen12& g : gens)
      if (g.state == s) out.push_back(g);
    return out;
  }
};

// Runs `frames` frames (or until `stop`), tracing each.
template <class Stop>
void Trace(PlayWorld& w, EnemyType12* b, int frames, Trace12* t, Stop&& stop) {
  std::set<const SProc*> before;
  const auto& s = b->Script();
  for (int f = 0; f < frames && !stop(); ++f) {
    const int32_t state = s.GetState(), step = s.step, frame = s.frame;
    w.Step();
    w.G()->lives = 3;
    const bool same = s.GetState() == state;
    Frame12 fr{s.GetState(), same ? step : 0, same ? frame : 0, b->routeCursorIndex, b->GetPosition()[0],
               b->GetPosition()[2], b->framesAlive, bossfight::CountChildren<EShotGen>(b, 0)};
    t->frames.push_back(fr);
    std::set<const SProc*> now;
    for (SProc* c = b->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c)) {
      auto* g = dynamic_cast<EShotGen*>(c);
      if (g == nullptr || c->GetState() >= SProc::STATE_KILLED) continue;
      now.insert(c);
      if (before.count(c) == 0)
        t->gens.push_back(Gen12{int(t->frames.size()) - 1, fr.state, fr.step, fr.frame, g->codeA, g->baseAngle,
                                g->sweepStart, g->sweepEnd});
    }
    before = now;
  }
}

// The steps of a state's frames as (step, frames spent in it).
std::vector<std::pair<int32_t, int>> Steps(const std::vector<Frame12>& fs) {
  std::vector<std::pair<int32_t, int>> out;
  for (const Frame12& f : fs) {
    if (out.empty() || out.back().first != f.step) out.emplace_back(f.step, 0);
    ++out.back().second;
  }
  return out;
}

std::vector<int32_t> Routes(const std::vector<Frame12>& fs) {
  std::vector<int32_t> out;
  for (const Frame12& f : fs)
    if (out.empty() || out.back() != f.route) out.push_back(f.route);
  return out;
}

// x moved by a sway of size s, rate k, over frames f0 to f1.
float SwayDistance(float s, float k, int f0, int f1) {
  float d = 0.0f;
  for (int f = f0; f <= f1; ++f) d += s * std::cos(float(f) * k * 3.14159265f / 2.0f);
  return d;
}

// The program in play with the boss spawned from stage 4's record.
struct Boss12World : bossfight::SpawnedBoss<EnemyType12> {
  Boss12World() : SpawnedBoss(4, "osr_bs10", 98304, 12) {}
  // Runs until stop() (at most 4000 frames); the boss's script.
  template <class Stop>
  EnemyType12Behavior& RunUntil(Stop&& stop) {
    Trace12 t;
    Trace(w, boss, 4000, &t, stop);
    return boss->Script();
  }
};

// One cycle from the hover to the next hover, frame by frame.
TEST(Boss12, OneCycleFrameByFrame) {
  Boss12World b;
  ASSERT_TRUE(b.ok);
  Trace12 t;
  bool cycled = false;
  Trace(b.w, b.boss, 4000, &t, [&] {
    cycled = cycled || (!t.frames.empty() && t.frames.back().state == S::kTurningVolleys);
    return cycled && t.frames.back().state == S::kHover;
  });
  ASSERT_TRUE(cycled);
  // The entrance: stretch 0 with the rise, 1 at frame 160, 2 at frame 300.
  EXPECT_EQ(Routes(t.Of(S::kEntrance)), (std::vector<int32_t>{0, 1, 2}));
  // Hover: S1, S2, S3 (aimed streams, and the two side streams at 0.62 and
  // 0.87 turn), on entering it (the trace ends on the next hover's entry).
  const auto hover = t.GensOf(S::kHover);
  ASSERT_EQ(hover.size(), 6u);
  EXPECT_EQ(hover[0].frame, 0);
  EXPECT_EQ(hover[2].at, hover[0].at);
  EXPECT_EQ(hover[0].codeA, 0x204);
  EXPECT_FLOAT_EQ(hover[1].base, 0.62f);
  EXPECT_FLOAT_EQ(hover[2].base, 0.87f);

  // State 2: wide right 81 frames, slow left 161, a 61-frame pause, then a
  // wide left of 80 frames only (the count went on past the change, so the
  // step starts on its frame 1), slow right 161, the last pause 61.
  const auto sweep = t.Of(S::kSweep);
  EXPECT_EQ(Steps(sweep), (std::vector<std::pair<int32_t, int>>{{0, 81}, {1, 161}, {2, 61}, {3, 80}, {4, 161},
                                                                 {5, 61}}));
  // Stretch 4 on the right sway, 7 at the first pause, kept through the
  // left sway (its stretch 3 never asked for), 8 at the last pause.
  EXPECT_EQ(Routes(sweep), (std::vector<int32_t>{4, 7, 8}));
  // Generator A at step 0's frame 0 (its sweep 0.1 to 0.4 turn), B and C at
  // frame 20 of the pauses; never A2 (0.4 to 0.1).
  const auto sg = t.GensOf(S::kSweep);
  ASSERT_EQ(sg.size(), 5u);
  EXPECT_EQ(std::make_tuple(sg[0].step, sg[0].frame, sg[0].codeA, sg[0].from, sg[0].to),
            std::make_tuple(0, 0, 0x20a, 0.1f, 0.4f));
  for (size_t i : {1u, 3u}) {
    EXPECT_EQ(sg[i].codeA, 0x20b);
    EXPECT_EQ(sg[i + 1].codeA, 0x10a);
    EXPECT_EQ(sg[i].frame, 20);
    EXPECT_EQ(sg[i].at, sg[i + 1].at);
  }
  EXPECT_EQ(sg[1].step, 2);
  EXPECT_EQ(sg[3].step, 5);
  // The sways' distances: x after the wide right is home + the sum of
  // 2 cos(f 0.0125 pi/2) for f = 0 to 80; the left one runs f = 1 to 80.
  const float home = sweep.front().x - 2.0f;
  const auto stepEnd = [&](int32_t step) {
    float x = 0.0f;
    for (const Frame12& f : sweep)
      if (f.step == step) x = f.x;
    return x;
  };
  const float right = SwayDistance(2.0f, 0.0125f, 0, 80), slow = SwayDistance(1.0f, 0.00625f, 0, 160);
  const float left = SwayDistance(2.0f, 0.0125f, 1, 80);
  EXPECT_NEAR(stepEnd(0), home + right, 1e-2f);
  EXPECT_NEAR(stepEnd(1), home + right - slow, 1e-2f);
  EXPECT_NEAR(stepEnd(3), home + right - slow - left, 1e-2f);
  EXPECT_NEAR(stepEnd(4), home + right - left, 1e-2f);

  // State 3: D on entry, its list killed at frame 100 of each slow sway, D
  // again at the end of the first; stretches 4 and 3.
  const auto volley = t.Of(S::kSwayVolley);
  EXPECT_EQ(Steps(volley), (std::vector<std::pair<int32_t, int>>{{0, 81}, {1, 161}, {2, 81}, {3, 161}, {4, 1}}));
  EXPECT_EQ(Routes(volley), (std::vector<int32_t>{4, 3}));
  const auto vg = t.GensOf(S::kSwayVolley);
  ASSERT_EQ(vg.size(), 2u);
  EXPECT_EQ(std::make_tuple(vg[0].codeA, vg[0].step, vg[0].frame), std::make_tuple(12, 0, 0));
  EXPECT_EQ(std::make_tuple(vg[1].codeA, vg[1].step, vg[1].frame), std::make_tuple(12, 1, 160));
  for (const Frame12& f : volley) {
    SCOPED_TRACE(f.frame);
    if (f.step == 1) {
      EXPECT_EQ(f.live, f.frame < 100 || f.frame == 160 ? 1 : 0);
    } else if (f.step == 3) {
      EXPECT_EQ(f.live, f.frame < 100 ? 1 : 0);
    }
  }
  // State 4: E and F on entry (their stage paths 8 and 9), no kills.
  const auto stageShots = t.GensOf(S::kSwayStageShots);
  ASSERT_EQ(stageShots.size(), 2u);
  EXPECT_EQ(stageShots[0].codeA, 0x410);
  EXPECT_FLOAT_EQ(stageShots[0].base, 0.5f);
  EXPECT_FLOAT_EQ(stageShots[1].base, 0.0f);
  const auto stageSteps = t.Of(S::kSwayStageShots);
  EXPECT_EQ(Steps(stageSteps), (std::vector<std::pair<int32_t, int>>{{0, 81}, {1, 161}, {2, 81}, {3, 161}, {4, 1}}));
  for (const Frame12& f : stageSteps) EXPECT_EQ(f.live, 2);

  // State 5: stretch 9, then 10 with G, H, I, J at frame 40, 11 at 150, 2
  // at 170; 241 frames.
  const auto fan = t.Of(S::kFanVolley);
  EXPECT_EQ(fan.size(), 241u);
  EXPECT_EQ(Routes(fan), (std::vector<int32_t>{9, 10, 11, 2}));
  const auto fg = t.GensOf(S::kFanVolley);
  ASSERT_EQ(fg.size(), 4u);
  for (const Gen12& g : fg) EXPECT_EQ(g.frame, 40);
  EXPECT_FLOAT_EQ(fg[1].base, 0.25f);
  EXPECT_FLOAT_EQ(fg[2].base, 0.263f);

  // State 6: K, L and M at frames 0, 60, 120 and 180, turned 0.02 a volley
  // from 0.25, 0.278 and 0.262; stretches 9, 10, 11, 2; 291 frames.
  const auto turning = t.Of(S::kTurningVolleys);
  EXPECT_EQ(turning.size(), 291u);
  EXPECT_EQ(Routes(turning), (std::vector<int32_t>{9, 10, 11, 2}));
  const auto tg = t.GensOf(S::kTurningVolleys);
  ASSERT_EQ(tg.size(), 12u);
  for (int n = 0; n < 4; ++n) {
    SCOPED_TRACE(n);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(tg[size_t(3 * n + j)].frame, 60 * n);
    EXPECT_EQ(tg[size_t(3 * n)].codeA, 0x50f);
    EXPECT_FLOAT_EQ(tg[size_t(3 * n)].base, 0.25f + 0.02f * float(n));
    EXPECT_FLOAT_EQ(tg[size_t(3 * n + 1)].base, 0.278f + 0.02f * float(n));
    EXPECT_FLOAT_EQ(tg[size_t(3 * n + 2)].base, 0.262f + 0.02f * float(n));
  }
}

// Released during the fan volley it glides home in 80 frames on stretch 2
// and goes on to the turning volleys; released again past its time it
// escapes (state 7) instead.
TEST(Boss12, ReleasedGoesHomeOrEscapesPastItsTime) {
  Boss12World b;
  ASSERT_TRUE(b.ok);
  auto& s = b.RunUntil([&] { return b.boss->Script().GetState() == S::kFanVolley && b.boss->Script().frame == 100; });
  ASSERT_EQ(s.GetState(), S::kFanVolley);
  float* p = b.boss->GetPosition();
  const float home[3] = {s.home[0], s.home[1], s.home[2]};
  p[0] += 60.0f;
  p[1] -= 30.0f;
  b.boss->SendEvent(EObjBase::EV_RELEASED, 0);
  Trace12 back;
  Trace(b.w, b.boss, 200, &back, [&] { return !back.frames.empty() && back.frames.back().state != 100000; });
  const auto home12 = back.Of(EnemyBase::SCRIPT_RELEASED);
  // Two keys, the first of 80 frames: the path ends on its call 81.
  EXPECT_EQ(home12.size(), 81u);
  EXPECT_EQ(Routes(home12), (std::vector<int32_t>{2}));
  EXPECT_EQ(back.frames.back().state, S::kTurningVolleys);
  EXPECT_NEAR(home12.back().x, home[0], 1e-3f);
  EXPECT_NEAR(p[1], home[1], 1e-3f);
  EXPECT_NEAR(p[2], home[2], 1e-3f);
  b.boss->chainFrameLimit = 0;
  b.boss->SendEvent(EObjBase::EV_RELEASED, 0);
  b.w.Step();
  b.w.Step();
  EXPECT_EQ(s.GetState(), S::kEscape);
}

// Defeated: frames alive start again from 0 (so it counts as in time), the
// defeat stretches 12, 13 (three laps), 14 and 15 follow one another, and
// from stretch 13 on the wreck drifts back by 1.3 t a frame, t = frame /
// 350.
TEST(Boss12, DefeatResetsItsTimeAndDrifts) {
  Boss12World b;
  ASSERT_TRUE(b.ok);
  b.RunUntil([&] { return b.boss->Script().GetState() == S::kHover && b.boss->Script().frame == 50; });
  const int32_t before = b.boss->framesAlive;
  ASSERT_GT(before, 300);
  b.boss->SendEvent(kHitEventDefeated, 0);
  Trace12 d;
  Trace(b.w, b.boss, 250, &d, [] { return false; });
  const auto dying = d.Of(EnemyBase::SCRIPT_DEFEATED);
  ASSERT_GT(dying.size(), 200u);
  // The enter sets 0; the frame it ran in counts 1.
  EXPECT_EQ(dying.front().alive, 1);
  EXPECT_EQ(Routes(dying), (std::vector<int32_t>{12, 13, 14, 15}));
  size_t first = 0;
  while (first < dying.size() && dying[first].step == 0) ++first;
  ASSERT_LT(first + 100, dying.size());
  // The frame that asks for stretch 13 does not drift yet; from the next
  // the drift's own count runs from 0.
  for (size_t i = 1; i <= first; ++i) EXPECT_EQ(dying[i].z, dying[0].z);
  float z = dying[0].z;
  for (size_t i = first; i < first + 100; ++i) {
    EXPECT_EQ(dying[i].frame, int32_t(i - first));
    z += 1.3f * float(dying[i].frame) / 350.0f;
    EXPECT_NEAR(dying[i].z, z, 1e-3f) << i;
  }
}

TEST(Boss12, PictureOfTheSweep) {
  plat::Image img;
  ASSERT_TRUE(bossfight::PictureAfter(4, "osr_bs10", 98304, 12, S::kSweep, 100, &img));
  // The boss hovers about (0, -80) after its rise.
  const int64_t body = testsupport::PixelsUnlike(img, 0xFF000000, testsupport::PlayPx(-120), testsupport::PlayPy(-140),
                                                 testsupport::PlayPx(120), testsupport::PlayPy(-20), 8);
  EXPECT_GT(body, 100);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss12_sweep.png", 8, 400));
}

// The entrance from (0, 640, 380), unhittable: sound 20 and stretch 0 on
// its frame 0, sound 21 and stretch 1 on its frame 160, stretch 2 on 300;
// the path ends at (0, -80, 0). The hover then starts S1 (0x40121, codes
// 0x204, speed 1.5 to 3.0, 4 a step, every 5 frames, 20 steps, 2000 more
// volleys 4 frames apart), S2 and S3 (0x40101, 0x50f, 0.62 and 0.87, 7.5,
// one shot, every 15 frames, 2000 steps, a start delay of 60).
TEST(Boss12, EntranceSoundsAndTheHoversGenerators) {
  Boss12World b;
  ASSERT_TRUE(b.ok);
  EnemyType12* boss = b.boss;
  auto& s = boss->Script();
  const float* p = boss->GetPosition();
  EXPECT_EQ(p[0], 0.0f);
  EXPECT_EQ(p[1], 640.0f);
  EXPECT_EQ(p[2], 380.0f);
  EXPECT_EQ(boss->angles[0], -0.1f);
  SRsc* se = testsupport::EffectBank();
  std::map<int32_t, std::vector<int32_t>> played;           // sound: entrance frames
  std::vector<std::pair<int32_t, int32_t>> asked;           // (stretch, entrance frame)
  for (int k = 0; k < 600 && s.GetState() == S::kEntrance; ++k) {
    const int32_t frame = s.frame, alive = boss->framesAlive;
    for (int32_t n : {20, 21}) testsupport::RearmSound(se, n);
    b.w.Step();
    if (boss->framesAlive == alive || s.GetState() != S::kEntrance) continue;
    EXPECT_EQ(boss->body.disabled, 1);
    for (int32_t n : {20, 21})
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(frame);
    if (asked.empty() || asked.back().first != boss->routeCursorIndex) asked.emplace_back(boss->routeCursorIndex, frame);
    if (frame == 300) {
      EXPECT_NEAR(p[1], -80.0f, 1e-2f);
      EXPECT_NEAR(p[2], 0.0f, 1e-2f);
    }
  }
  EXPECT_EQ(played[20], (std::vector<int32_t>{0}));
  EXPECT_EQ(played[21], (std::vector<int32_t>{160}));
  EXPECT_EQ(asked, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 160}, {2, 300}}));
  ASSERT_EQ(s.GetState(), S::kHover);
  EXPECT_EQ(boss->body.disabled, 0);
  std::vector<std::tuple<uint32_t, int32_t, float, float, float, int32_t, int32_t, int32_t, int32_t, int32_t>> gens;
  for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    if (auto* g = dynamic_cast<EShotGen*>(c); g != nullptr && c->GetState() < SProc::STATE_KILLED)
      gens.emplace_back(g->flags, g->codeA, g->baseAngle, g->startSpeed, g->endSpeed, g->ways, g->volleyFrames,
                        g->volleys, g->initialBursts, g->burstFrames);
  using G = decltype(gens)::value_type;
  EXPECT_EQ(gens, (std::vector<G>{G{0x40121u, 0x204, 0.0f, 1.5f, 3.0f, 4, 5, 20, 2000, 4},
                                  G{0x40101u, 0x50f, 0.62f, 7.5f, 7.5f, 1, 15, 2000, 0, 0},
                                  G{0x40101u, 0x50f, 0.87f, 7.5f, 7.5f, 1, 15, 2000, 0, 0}}));
}

}  // namespace
