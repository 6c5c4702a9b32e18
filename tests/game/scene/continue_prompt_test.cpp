// The continue prompt over a paused game: its count, the presses that
// shorten it, a coin that restarts it, start with and without a credit, the
// GAME OVER that follows, and the codes the network service receives.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SceneRig.h"
#include "game/core/CoinCounter.h"
#include "game/scene/ContinuePrompt.h"
#include "support/ExpectAll.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;
using Codes = std::vector<uint8_t>;

// The prompt as the Player adds it when the last life is lost.
ContinuePrompt* AddPrompt(SceneRig& rig) {
  ContinuePromptAnswer = -1;
  auto* p = new ContinuePrompt();
  rig.G()->AddChild(GAME_LIST_SCENE, p, 0);
  return p;
}

// Runs frames until the prompt's count reads `count` after a frame.
void RunToCount(SceneRig& rig, ContinuePrompt* p, int32_t count) {
  for (int i = 0; i < 2000 && p->GetCount() < count; ++i) rig.Frame();
  ASSERT_EQ(p->GetCount(), count);
}

// A press is polled after the frame's drawing: the prompt, which runs in
// its drawing, sees it in the next frame, two counts further.
void PressSeenAtNextCount(SceneRig& rig, CabInput input) {
  rig.Frame({input});
  rig.Frame();
}

TEST(ContinuePrompt, CountsDownFromTwentyThenShowsGameOverAndAnswersNo) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  rig.Tap().Client().PushCode(0);  // the play of player 0 began
  ContinuePrompt* p = AddPrompt(rig);
  EXPECT_EQ(ContinuePromptAnswer, 0);
  EXPECT_EQ(GetCoinCounter()->mode, 2);
  rig.Frame();  // added: it runs from the next frame on
  EXPECT_EQ(p->GetCount(), 0);
  rig.Frame();
  // The count is advanced before it is used: 21 - 21/1260 shows as 20.
  EXPECT_ALL({VAL(p->GetCount(), 1), VAL(p->GetShown(), 20), VAL(p->NumberText().GetOrigin()[0], -38.0f),
              VAL(rig.G()->IsPaused(), true)});
  // 21 - 21 count / 1260, truncated: one less every 60 frames; from 9 on
  // the number is placed at x -20.
  const struct {
    int32_t count, shown;
    float x;
  } steps[] = {{30, 20, -38.0f}, {90, 19, -38.0f}, {630, 10, -38.0f}, {690, 9, -20.0f}, {1250, 0, -20.0f}};
  for (const auto& s : steps) {
    SCOPED_TRACE(s.count);
    RunToCount(rig, p, s.count);
    EXPECT_ALL({VAL(p->GetShown(), s.shown), VAL(p->NumberText().GetOrigin()[0], s.x)});
  }
  RunToCount(rig, p, 1259);
  rig.Frame();  // count 1260: the end of the count
  EXPECT_ALL({VAL(p->GetPhase(), ContinuePrompt::PHASE_GAME_OVER), VAL(p->GetCount(), 0),
              VAL(GetCoinCounter()->mode, 3), VAL(ContinuePromptAnswer, 0)});
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0x00}));
  rig.Frames(14);
  EXPECT_EQ(rig.Tap().Codes(), Codes{});
  rig.Frame();  // GAME OVER's 15th frame: the play of player 0 ends
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0x08}));
  rig.Frames(224);
  EXPECT_EQ(ContinuePromptAnswer, 0);
  rig.Frame();  // its 240th frame
  EXPECT_EQ(ContinuePromptAnswer, -1);
  rig.Frames(2);
  EXPECT_EQ(rig.G()->FindInList("ContinuePrompt", GAME_LIST_SCENE), nullptr);
  EXPECT_FALSE(rig.G()->IsPaused());
}

TEST(ContinuePrompt, GameOverComesInFromTheDepthInTwentyFrames) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  rig.G()->settings[kSetContinueOn] = 0;  // no continue offered: GAME OVER at once
  ContinuePrompt* p = AddPrompt(rig);
  EXPECT_EQ(p->GetPhase(), ContinuePrompt::PHASE_GAME_OVER);
  EXPECT_EQ(GetCoinCounter()->mode, 3);
  // z = (1 - cos(r pi/2)) 500 - 500 with r = count / 20.
  for (const auto [count, z] : {std::pair{1, -498.4584f}, {10, -353.5534f}, {20, 0.0f}}) {
    while (p->GetCount() < count) rig.Frame();
    EXPECT_NEAR(p->GameOverDepth().GetMatrix().m[3][2], z, 0.01f) << count;
  }
  EXPECT_EQ(p->NumberText().GlyphCount(), 0);  // no number was shown
  rig.Frames(219);
  EXPECT_EQ(ContinuePromptAnswer, 0);
  rig.Frame();
  EXPECT_EQ(ContinuePromptAnswer, -1);
  rig.G()->settings[kSetContinueOn] = 1;
}

TEST(ContinuePrompt, PressesJumpToTheNextSecondOnlyAfter180Frames) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ContinuePrompt* p = AddPrompt(rig);
  RunToCount(rig, p, 98);
  PressSeenAtNextCount(rig, CabInput::kButton1);  // seen at count 100: too early
  EXPECT_EQ(p->GetCount(), 100);
  RunToCount(rig, p, 198);
  PressSeenAtNextCount(rig, CabInput::kButton2);  // count 200 jumps to 240
  EXPECT_ALL({VAL(p->GetCount(), 240), VAL(p->GetShown(), 17)});
  // A press on the count's last frame ends it there (it would otherwise
  // pass the end of the count and leave the game paused for good).
  RunToCount(rig, p, 1258);
  PressSeenAtNextCount(rig, CabInput::kButton1);
  EXPECT_ALL({VAL(p->GetPhase(), ContinuePrompt::PHASE_GAME_OVER), VAL(p->GetCount(), 0)});
  rig.Frames(240);
  EXPECT_EQ(ContinuePromptAnswer, -1);
}

TEST(ContinuePrompt, ACoinRestartsTheCountAndStartWithACreditContinues) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ContinuePrompt* p = AddPrompt(rig);
  RunToCount(rig, p, 299);
  rig.CoinArrives();  // count 300: back to 0
  EXPECT_EQ(p->GetCount(), 0);
  rig.Frame();
  EXPECT_ALL({VAL(p->GetCount(), 1), VAL(p->GetShown(), 20)});
  // Start without a credit: nothing.
  PressSeenAtNextCount(rig, CabInput::kStart);
  EXPECT_EQ(p->GetPhase(), ContinuePrompt::PHASE_COUNTDOWN);
  rig.GiveCredits(2);
  PressSeenAtNextCount(rig, CabInput::kStart);
  EXPECT_EQ(p->GetPhase(), ContinuePrompt::PHASE_CONTINUE);
  EXPECT_EQ(ContinuePromptAnswer, 0);
  rig.Frame();  // the continue, once
  EXPECT_ALL({VAL(ContinuePromptAnswer, 1), VAL(GetCoinCounter()->serviceCredits, 1), VAL(GetCoinCounter()->mode, 3)});
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0x04}));
  rig.Frames(2);
  EXPECT_EQ(rig.G()->FindInList("ContinuePrompt", GAME_LIST_SCENE), nullptr);
  EXPECT_FALSE(rig.G()->IsPaused());
}

}  // namespace
