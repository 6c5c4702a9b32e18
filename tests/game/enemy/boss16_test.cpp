// Boss type 16 in the running program, spawned from its stage record: its
// rail loop, its attack cycle and its self-defeat past its limit, its
// defeat by the ship's shots, the companion's rail move at frame 815 and
// the end at 880; the parts it blows off.
#include <gtest/gtest.h>

#include <vector>

#include "boss_fight.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EThunderGen.h"
#include "game/enemy/EnemyType16.h"
#include "support/ImageCompare.h"

namespace {

using testsupport::PlayWorld;
using S = EnemyType16Behavior;

struct Run16 {
  std::vector<std::pair<int, int>> trace;  // (frame, state entered)
  std::vector<int> railMoves;              // frames the rail was moved to 3920
  std::vector<int> hidden;                 // frames parts 17, 23, 5 and 15 went
  int end = -1;
};

Run16 Fight(PlayWorld& w, bossfight::BossStage& stage, bool fire, int limit) {
  Run16 r;
  SHandle<EnemyType16> h(static_cast<EnemyType16*>(stage.Spawn(16)));
  int frame = 0;
  const int parts[4] = {17, 23, 5, 15};
  r.hidden.assign(4, -1);
  g_MapMng.t = 100.0f;
  r.end = bossfight::Fight(w, limit, fire, [&] {
    if (g_MapMng.t == BossPartsObjectT16::kRailTo) {
      r.railMoves.push_back(frame);
      g_MapMng.t = 100.0f;
    }
    EnemyType16* boss = h.Get();
    if (boss == nullptr || boss->GetState() >= SProc::STATE_KILLED) return true;
    const int s = boss->Script().GetState();
    if (r.trace.empty() || r.trace.back().second != s) r.trace.emplace_back(frame, s);
    for (int i = 0; i < 4; ++i)
      if (r.hidden[size_t(i)] < 0 && boss->model.GetNode(parts[i])->GetLocal()->m[0][0] == 0.0f)
        r.hidden[size_t(i)] = frame;
    ++frame;
    return false;
  });
  return r;
}

TEST(Boss16, HoldsTheRailCyclesAndDefeatsItselfPastItsLimit) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(5, "osr_bs14", 57344);
  ASSERT_TRUE(stage.ok);
  const Run16 r = Fight(w, stage, false, 6000);
  std::vector<int> states;
  for (auto& t : r.trace) states.push_back(t.second);
  ASSERT_GE(states.size(), 8u);
  EXPECT_EQ(std::vector<int>(states.begin(), states.begin() + 8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 1}));
  EXPECT_EQ(states.back(), EnemyBase::SCRIPT_DEFEATED);
  // The stream has no steps: 481 frames from its entry.
  EXPECT_EQ(r.trace[6].first - r.trace[5].first, 481);
  EXPECT_GT(r.trace.back().first, 3600);
  EXPECT_EQ(r.railMoves.size(), 1u);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(Boss16, ShotDownItBlowsApartMovesTheRailAtFrame815AndEndsAt880) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(5, "osr_bs14", 57344);
  ASSERT_TRUE(stage.ok);
  const Run16 r = Fight(w, stage, true, 4000);
  ASSERT_FALSE(r.trace.empty());
  ASSERT_EQ(r.trace.back().second, EnemyBase::SCRIPT_DEFEATED);
  const int defeat = r.trace.back().first;
  ASSERT_EQ(r.railMoves.size(), 1u);
  EXPECT_EQ(r.railMoves[0] - defeat, 816);
  EXPECT_EQ(r.end - defeat, 881);
  // Parts 17, 23 and 5 go at the companion's frames 0, 250 and 332, the
  // core at 650.
  EXPECT_EQ(r.hidden, (std::vector<int>{defeat + 1, defeat + 251, defeat + 333, defeat + 651}));
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(Boss16, StageFiveFromItsStartReachesTheSecondEnding) {
  testsupport::PlayOptions o;
  o.stage = 5;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  w.stageMayEnd = true;
  bool seen = false, defeated = false, ended = false;
  const int frames = bossfight::Fight(w, 20000, true, [&] {
    if (w.G()->GetSceneId() != SCENE_STAGE) return true;
    EnemyType16* boss = static_cast<EnemyType16*>(bossfight::FindBoss(16));
    seen = seen || boss != nullptr;
    defeated = defeated || (boss != nullptr && boss->Script().GetState() == EnemyBase::SCRIPT_DEFEATED);
    ended = ended || (defeated && boss == nullptr);
    return false;
  });
  EXPECT_GT(frames, 0);
  EXPECT_TRUE(seen && defeated && ended);
  EXPECT_EQ(w.G()->GetSceneId(), SCENE_ENDING2);
}

TEST(Boss16, SparksDrawTheirValuesOnTheirFrames) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(5, "osr_bs14", 57344);
  ASSERT_TRUE(stage.ok);
  auto* boss = static_cast<EnemyType16*>(stage.Spawn(16));
  ASSERT_NE(boss, nullptr);
  ASSERT_GE(bossfight::Fight(w, 400, false, [&] { return boss->Script().GetState() == S::kSpirals; }), 0);
  // The spirals' wind-up fires nothing: in the boss's own frame the sparks
  // alone draw, three values a sprite: nine sprites when frames alive & 6
  // is 0, two more when frames alive & 9 is 0.
  for (int f = 0; f < 16; ++f) {
    const int alive = boss->framesAlive + 1;
    const int want = ((alive & 6) == 0 ? 27 : 0) + ((alive & 9) == 0 ? 6 : 0);
    EXPECT_EQ(bossfight::DrawsOf([&] { boss->SendEvent(SProc::EVENT_MAIN, 0); }), want) << alive;
  }
}

TEST(Boss16, PictureOfTheThunderCross) {
  plat::Image img;
  // Within the thunder cross: its three fan generators and, from the step's
  // first frame, the four thunder generators that turn the cross once in
  // 300 frames.
  int32_t step = -1;
  int thunder = -1, fans = -1;
  ASSERT_TRUE(bossfight::PictureAfter(5, "osr_bs14", 57344, 16, S::kThunder, 150, &img, [&](EnemyBase* b) {
    step = static_cast<EnemyType16*>(b)->Script().step;
    thunder = bossfight::CountChildren<EThunderGen>(b, 0);
    fans = bossfight::CountChildren<EShotGen>(b, 0);
  }));
  EXPECT_EQ(step, 1);
  EXPECT_EQ(thunder, 4);
  EXPECT_EQ(fans, 3);
  const int64_t lit = testsupport::PixelsUnlike(img, 0xFF000000, testsupport::PlayPx(-200), testsupport::PlayPy(-280),
                                                testsupport::PlayPx(200), testsupport::PlayPy(120), 8);
  EXPECT_GT(lit, 1000);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss16_thunder.png", 8, 400));
}

}  // namespace
