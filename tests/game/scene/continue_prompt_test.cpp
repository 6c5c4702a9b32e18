// The continue prompt over a paused game: its count, the presses that
// shorten it, a coin that restarts it, start with and without a credit, the
// GAME OVER that follows, the codes the network service receives, and
// pictures of the count with the coin display's prompt for a coin.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SceneRig.h"
#include "game/core/CoinCounter.h"
#include "game/core/CoinDisplay.h"
#include "game/player/ZGInterface.h"
#include "game/scene/ContinuePrompt.h"
#include "game/scene/SceneFrame.h"
#include "support/ExpectAll.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"

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
  rig.G()->settings[SettingsWord::continueOn] = 0;  // no continue offered: GAME OVER at once
  ContinuePrompt* p = AddPrompt(rig);
  EXPECT_EQ(p->GetPhase(), ContinuePrompt::PHASE_GAME_OVER);
  EXPECT_EQ(GetCoinCounter()->mode, 3);
  // z = (1 - cos(r pi/2)) 500 - 500 with r = count / 20.
  for (const auto& [count, z] : {std::pair{1, -498.4584f}, {10, -353.5534f}, {20, 0.0f}}) {
    while (p->GetCount() < count) rig.Frame();
    EXPECT_NEAR(p->GameOverDepth().GetMatrix().m[3][2], z, 0.01f) << count;
  }
  EXPECT_EQ(p->NumberText().GlyphCount(), 0);  // no number was shown
  rig.Frames(219);
  EXPECT_EQ(ContinuePromptAnswer, 0);
  rig.Frame();
  EXPECT_EQ(ContinuePromptAnswer, -1);
  rig.G()->settings[SettingsWord::continueOn] = 1;
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

TEST(ContinuePrompt, SoundSevenTicksAtEachCountOneMod60AndTwelveGivesWayToOneOnAContinue) {
  using testsupport::LoopSound;
  using testsupport::SoundPlayed;
  using testsupport::SoundPlaying;
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  ContinuePrompt* p = AddPrompt(rig);
  testsupport::RearmSound(se, 7);
  rig.Frame();  // added
  rig.Frame();
  EXPECT_ALL({VAL(p->GetCount(), 1), VAL(SoundPlayed(se, 7), true)});
  testsupport::RearmSound(se, 7);
  RunToCount(rig, p, 60);
  EXPECT_FALSE(SoundPlayed(se, 7));
  RunToCount(rig, p, 61);
  EXPECT_TRUE(SoundPlayed(se, 7));
  // In a demo play with the attract sound off the tick is silent.
  rig.G()->demoPlay = 1;
  rig.G()->settings[SettingsWord::attractSound] = 0;
  testsupport::RearmSound(se, 7);
  RunToCount(rig, p, 121);
  EXPECT_FALSE(SoundPlayed(se, 7));
  rig.G()->demoPlay = 0;
  rig.G()->settings[SettingsWord::attractSound] = 1;
  // The continue: sound 12 stops, sound 1 plays.
  LoopSound(se, 12);
  testsupport::RearmSound(se, 1);
  rig.GiveCredits(1);
  PressSeenAtNextCount(rig, CabInput::kStart);
  ASSERT_EQ(p->GetPhase(), ContinuePrompt::PHASE_CONTINUE);
  EXPECT_FALSE(SoundPlayed(se, 1));
  rig.Frame();
  EXPECT_ALL({VAL(SoundPlaying(se, 12), false), VAL(SoundPlayed(se, 1), true), VAL(ContinuePromptAnswer, 1)});
}

TEST(ContinuePrompt, AtGameOverCount15SoundTwelveGivesWayToThirteen) {
  using testsupport::LoopSound;
  using testsupport::SoundPlayed;
  using testsupport::SoundPlaying;
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  rig.G()->settings[SettingsWord::continueOn] = 0;  // GAME OVER at once
  ContinuePrompt* p = AddPrompt(rig);
  LoopSound(se, 12);
  testsupport::RearmSound(se, 13);
  while (p->GetCount() < 14) rig.Frame();
  EXPECT_ALL({VAL(SoundPlaying(se, 12), true), VAL(SoundPlayed(se, 13), false)});
  rig.Frame();
  EXPECT_ALL({VAL(p->GetCount(), 15), VAL(SoundPlaying(se, 12), false), VAL(SoundPlayed(se, 13), true)});
  rig.G()->settings[SettingsWord::continueOn] = 1;
}

// A black band at the enemy-bullet layer (key 5) across the foot of the
// field, where the paused play's bullets and effects lie under the prompts.
class Band : public SProc {
 protected:
  int32_t Init(SProcArg) override {
    static constexpr float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    SetSceneQuad(band_, -240.0f, 240.0f, 240.0f, 300.0f, 0.0f, nullptr, kBlack);
    return 0;
  }
  int32_t Draw(SProcArg) override {
    WorldPresets[1].Enter(kBulletKey);
    band_.Enter(kBulletKey);
    return 0;
  }

 private:
  static constexpr int kBulletKey = 5;
  SGpObj_PrimQuad band_{plat::kFvfPosColour};
};

using testsupport::CountPlayPixels;

bool Bright(uint32_t r, uint32_t g, uint32_t b) { return r > 150 && g > 150 && b > 150; }
// Warmer than the white of the fonts under the prompt's red tint.
bool Coloured(uint32_t r, uint32_t, uint32_t b) { return r > b + 48; }

TEST(ContinuePrompt, PicturesOfTheCountAt19And9InItsDigitsWithThePromptForACoin) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  rig.G()->RampValue(0, 1.0f, 0);  // the notice was taken away in its fade-in
  rig.G()->AddChild(GAME_LIST_ENEMY, new Band(), 0);
  ContinuePrompt* p = AddPrompt(rig);
  // The count's font has a cell for every digit ("7" to "9" included).
  ASSERT_TRUE(scene_rig::DigitsOnSheet(*p->NumberText().GetFont()));
  const struct {
    int32_t count, shown;
    float x;
    const char* golden;
  } shots[] = {{90, 19, -38.0f, "continue_count_19.png"}, {700, 9, -20.0f, "continue_count_9.png"}};
  for (const auto& s : shots) {
    SCOPED_TRACE(s.shown);
    RunToCount(rig, p, s.count);
    ASSERT_EQ(p->GetShown(), s.shown);
    plat::Image img;
    ASSERT_TRUE(rig.Sys().Screenshot(&img));
    // The digits, 39 x 60 cells from (x, -18), in the font's white: each
    // cell inked, nothing of another colour around them.
    const int digits = s.shown < 10 ? 1 : 2;
    for (int d = 0; d < digits; ++d) {
      const float x0 = s.x + 39.0f * static_cast<float>(d);
      EXPECT_GT(CountPlayPixels(img, x0, -18.0f, x0 + 39.0f, 42.0f, Bright), 60) << "digit " << d;
    }
    EXPECT_EQ(CountPlayPixels(img, s.x - 4.0f, -22.0f, s.x + 39.0f * digits + 4.0f, 46.0f, Coloured), 0);
    // "INSERT 1 COIN(S) TO CONTINUE" from (-210, 260) in 14 x 18 cells, over
    // the band: its first letter from x -210, its last from x 168.
    EXPECT_STREQ(g_ZGInterface.Coins().PromptText(), "INSERT 1 COIN(S) TO CONTINUE");
    EXPECT_GT(CountPlayPixels(img, -210.0f, 260.0f, -196.0f, 278.0f, Bright), 3);
    EXPECT_GT(CountPlayPixels(img, 168.0f, 260.0f, 182.0f, 278.0f, Bright), 3);
    EXPECT_GT(CountPlayPixels(img, -210.0f, 260.0f, 182.0f, 278.0f, Bright), 100);
    EXPECT_TRUE(testsupport::MatchesGolden(img, s.golden, 8, 60));
  }
}

}  // namespace
