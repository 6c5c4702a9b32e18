// Boss type 12 in the running program, spawned from its stage record: its
// rail loop, its attack cycle and its escape once out of time, its defeat
// by the ship's shots with the rail moved on at the companion's frame 290
// and the boss ended there; the smoke's rand draws.
#include <gtest/gtest.h>

#include <vector>

#include "boss_fight.h"
#include "game/enemy/EnemyType12.h"
#include "support/ImageCompare.h"

namespace {

using testsupport::PlayWorld;
using S = EnemyType12Behavior;

struct Run12 {
  std::vector<std::pair<int, int>> trace;  // (frame, state entered)
  int railMoved = -1;                      // frame the rail was moved to 4280
  int end = -1;
};

Run12 Fight(PlayWorld& w, bossfight::BossStage& stage, bool fire, int limit) {
  Run12 r;
  SHandle<EnemyType12> h(static_cast<EnemyType12*>(stage.Spawn(12)));
  // The arena's loop is held from the boss's start.
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_MapMng.armedT, 3941.0f);
  EXPECT_EQ(g_MapMng.armedAt, 4311.0f);
  g_MapMng.t = 100.0f;
  int frame = 0;
  r.end = bossfight::Fight(w, limit, fire, [&] {
    if (r.railMoved < 0 && g_MapMng.t >= BossPartsObjectT12::kRailTo) r.railMoved = frame;
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
  // turning volleys. The rise's two keys of 160 and 140 frames are each run
  // to their end point: 302 frames, the hover seen from the next.
  EXPECT_EQ(Span(r, 0), 303);
  EXPECT_EQ(Span(r, 1), 241);
  EXPECT_EQ(Span(r, 6), 291);
  // The escape path of 120 frames ends on its 121st (its enter frame being
  // the one before the state shows); then the rail loop is let go and the
  // boss ends, which lets the timeline go on.
  EXPECT_EQ(r.end - r.trace.back().first, 120);
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(Boss12, ShotDownItsCompanionMovesTheRailOnceAndEndsIt) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(4, "osr_bs10", 98304);
  ASSERT_TRUE(stage.ok);
  const Run12 r = Fight(w, stage, true, 4000);
  ASSERT_FALSE(r.trace.empty());
  ASSERT_EQ(r.trace.back().second, EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(r.railMoved - r.trace.back().first, 290);
  EXPECT_EQ(r.end, r.railMoved);
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

TEST(Boss12, PictureOfTheSweep) {
  plat::Image img;
  ASSERT_TRUE(bossfight::PictureAfter(4, "osr_bs10", 98304, 12, S::kSweep, 100, &img));
  // The boss hovers about (0, -80) after its rise.
  const int64_t body = testsupport::PixelsUnlike(img, 0xFF000000, testsupport::PlayPx(-120), testsupport::PlayPy(-140),
                                                 testsupport::PlayPx(120), testsupport::PlayPy(-20), 8);
  EXPECT_GT(body, 100);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss12_sweep.png", 8, 400));
}

}  // namespace
