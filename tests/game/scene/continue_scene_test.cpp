// Scene 9: the count from 20 over the darkening panel, presses, a coin and
// start with and without a credit, GAME OVER, and the scene chosen next
// with the codes the network service receives.
#include <gtest/gtest.h>

#include <vector>

#include "SceneRig.h"
#include "game/core/CoinCounter.h"
#include "game/core/RankTable.h"
#include "game/scene/Continue.h"
#include "support/ExpectAll.h"
#include "support/SoundProbe.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;
using Codes = std::vector<uint8_t>;

// Starts the scene with a play going on (the service heard its start) and
// runs to the first frame of the count.
Continue* StartContinue(SceneRig& rig, uint32_t score) {
  rig.Tap().Client().PushFD();
  rig.Tap().Client().PushCode(0);
  rig.Tap().Codes();
  rig.G()->record[REC_SCORE] = score;
  rig.G()->record[REC_OVERFLOW] = 0;
  rig.G()->stage = 3;
  if (!rig.Start(SCENE_CONTINUE, "Continue")) return nullptr;
  auto* c = rig.Scene<Continue>("Continue");
  for (int i = 0; i < 5 && c->GetSceneState() != Continue::STATE_COUNTDOWN; ++i) rig.Frame();
  EXPECT_ALL({VAL(c->GetSceneState(), Continue::STATE_COUNTDOWN), VAL(c->GetCountdown(), 20), VAL(c->GetFrame(), 1)});
  return c;
}

TEST(ContinueScene, TheCountRunsOutAfter2520FramesAndAnUnrankedPlayGoesToTheRanking) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  Continue* c = StartContinue(rig, 1234);
  ASSERT_NE(c, nullptr);
  rig.Frame();  // the curtain is rebuilt before the count steps: n = 20 now
  // n = 20: the curtain's alpha 1 - 20/21 (packed 12), its inner edge at
  // x = -240 x 20/21, its lower inner corner at depth 10.
  const SGpObj_Prim& curtain = c->Curtain();
  EXPECT_ALL({VAL(curtain.GetVertexColour(1) >> 24, 12u), VAL(curtain.GetVertexColour(0) >> 24, 255u),
              VAL(curtain.GetVertexPos(9).x, -240.0f * 20.0f / 21.0f), VAL(curtain.GetVertexPos(3).z, 10.0f),
              VAL(curtain.GetVertexColour(9) >> 24, 153u)});
  // GetFrame() f: the frames 0 to f - 1 of the count have run.
  const auto runTo = [&](int32_t f) {
    while (c->GetFrame() < f) rig.Frame();
  };
  runTo(120);
  EXPECT_EQ(c->GetCountdown(), 20);
  runTo(121);
  EXPECT_ALL({VAL(c->GetCountdown(), 19), VAL(c->CountdownText().GetOrigin()[0], -38.0f)});
  // Its font has a cell for every digit it shows.
  EXPECT_TRUE(scene_rig::DigitsOnSheet(*c->CountdownText().GetFont()));
  runTo(2401);
  EXPECT_ALL({VAL(c->GetCountdown(), 0), VAL(c->CountdownText().GetOrigin()[0], -20.0f)});
  runTo(2520);
  rig.Frame();  // frame 2,520: below 0, GAME OVER from the next frame
  EXPECT_EQ(c->GetSceneState(), Continue::STATE_COUNTDOWN);
  rig.Frame();
  EXPECT_ALL({VAL(c->GetSceneState(), Continue::STATE_GAME_OVER), VAL(c->GetFrame(), 1)});
  // From depth -500 to the screen in 40 frames.
  EXPECT_EQ(c->GameOverQuad().GetVertexPos(0).z, -500.0f);
  runTo(41);
  EXPECT_EQ(c->GameOverQuad().GetVertexPos(0).z, 0.0f);
  runTo(270);  // its frame 270 ends it
  EXPECT_NE(rig.G()->FindInList("Continue", GAME_LIST_SCENE), nullptr);
  rig.Frame();
  EXPECT_EQ(rig.G()->FindInList("Continue", GAME_LIST_SCENE), nullptr);
  ASSERT_GE(rig.RunToNext(10), 0);
  EXPECT_EQ(rig.G()->GetCurrentRequest().id, SCENE_RANKING);
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0x08, 0xFE}));
  EXPECT_ALL({VAL(PendingRankEntry.word[1], 1234u), VAL(PendingRankEntry.word[2], 3u)});
}

TEST(ContinueScene, FromTheFifthPressEachPressTakesASecondOff) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Continue* c = StartContinue(rig, 0);
  ASSERT_NE(c, nullptr);
  for (int press = 1; press <= 4; ++press) rig.Press({CabInput::kButton1});
  EXPECT_ALL({VAL(c->GetPresses(), 4), VAL(c->GetCountdown(), 20), VAL(c->GetFrame(), 9)});
  rig.Press({CabInput::kButton2});
  EXPECT_ALL({VAL(c->GetPresses(), 5), VAL(c->GetCountdown(), 19), VAL(c->GetFrame(), 2)});
  rig.Press({CabInput::kButton1});
  EXPECT_EQ(c->GetCountdown(), 18);
}

TEST(ContinueScene, ACoinRestartsTheCountAndStartWithACreditContinuesTheStage) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Continue* c = StartContinue(rig, 0);
  ASSERT_NE(c, nullptr);
  rig.Frames(400);
  EXPECT_EQ(c->GetCountdown(), 17);
  rig.CoinArrives();
  rig.Frame();
  EXPECT_ALL({VAL(c->GetCountdown(), 20), VAL(c->GetFrame(), 1)});
  rig.Press({CabInput::kStart});  // no credit: nothing
  EXPECT_EQ(c->GetSceneState(), Continue::STATE_COUNTDOWN);
  rig.GiveCredits(1);
  rig.Press({CabInput::kStart});
  EXPECT_EQ(c->GetSceneState(), Continue::STATE_CONTINUE);
  EXPECT_EQ(GetCoinCounter()->serviceCredits, 0);
  rig.Frames(30);
  EXPECT_FALSE(c->Continued());
  rig.Frame();  // its 32nd frame ends it
  EXPECT_TRUE(c->Continued());
  ASSERT_GE(rig.RunToNext(10), 0);
  EXPECT_ALL({VAL(rig.G()->GetCurrentRequest().id, SCENE_STAGE), VAL(rig.G()->GetCurrentRequest().a1, 3)});
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0x04}));
}

TEST(ContinueScene, ARankedPlayGoesToTheNameEntryWithTheEndOfPlayCodeOnly) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  rig.G()->record[REC_BEST_CHAIN] = 17;
  Continue* c = StartContinue(rig, 50000000);
  ASSERT_NE(c, nullptr);
  ASSERT_GE(rig.RunToNext(3000), 0);
  EXPECT_EQ(rig.G()->GetCurrentRequest().id, SCENE_ENTRY);
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0x08}));
  EXPECT_ALL({VAL(PendingRankEntry.word[0], 0u), VAL(PendingRankEntry.word[1], 50000000u),
              VAL(PendingRankEntry.word[2], 3u), VAL(PendingRankEntry.word[3], 17u),
              VAL(PendingRankEntry.word[4], 0u)});
}

TEST(ContinueScene, SoundTwelveMarksEachFallFrom19To0AndTheGameOverAt35StopsItForThirteen) {
  using testsupport::LoopSound;
  using testsupport::SoundPlayed;
  using testsupport::SoundPlaying;
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  Continue* c = StartContinue(rig, 0);
  ASSERT_NE(c, nullptr);
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  const auto runTo = [&](int32_t f) {
    while (c->GetFrame() < f) rig.Frame();
  };
  // The fall to 20 (frame 0) is silent; the fall to 19 (frame 120) plays
  // sound 12, as does the fall to 0 (frame 2,400); the fall to -1 (frame
  // 2,520) does not.
  testsupport::RearmSound(se, 12);
  runTo(120);
  EXPECT_FALSE(SoundPlayed(se, 12));
  runTo(121);
  EXPECT_TRUE(SoundPlayed(se, 12));
  runTo(2400);
  testsupport::RearmSound(se, 12);
  runTo(2401);
  EXPECT_ALL({VAL(c->GetCountdown(), 0), VAL(SoundPlayed(se, 12), true)});
  runTo(2520);
  testsupport::RearmSound(se, 12);
  rig.Frame();
  EXPECT_ALL({VAL(c->GetCountdown(), -1), VAL(SoundPlayed(se, 12), false)});
  // GAME OVER: at its frame 35 sound 12 stops and sound 13 plays.
  LoopSound(se, 12);
  testsupport::RearmSound(se, 13);
  rig.Frame();
  ASSERT_EQ(c->GetSceneState(), Continue::STATE_GAME_OVER);
  runTo(35);
  EXPECT_ALL({VAL(SoundPlaying(se, 12), true), VAL(SoundPlayed(se, 13), false)});
  runTo(36);
  EXPECT_ALL({VAL(SoundPlaying(se, 12), false), VAL(SoundPlayed(se, 13), true)});
}

TEST(ContinueScene, AContinueStopsSoundTwelveAndPlaysSoundOne_WithTheSoundOffNeither) {
  using testsupport::LoopSound;
  using testsupport::SoundPlayed;
  using testsupport::SoundPlaying;
  for (const bool soundOff : {false, true}) {
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    rig.G()->soundOff = soundOff ? 1 : 0;
    Continue* c = StartContinue(rig, 0);
    ASSERT_NE(c, nullptr);
    SRsc* se = testsupport::EffectBank();
    ASSERT_NE(se, nullptr);
    testsupport::RearmSound(se, 12);
    while (c->GetFrame() < 121) rig.Frame();
    // The count runs the same either way.
    EXPECT_EQ(c->GetCountdown(), 19) << soundOff;
    EXPECT_EQ(SoundPlayed(se, 12), !soundOff);
    LoopSound(se, 12);
    testsupport::RearmSound(se, 1);
    rig.GiveCredits(1);
    rig.Press({CabInput::kStart});
    ASSERT_EQ(c->GetSceneState(), Continue::STATE_CONTINUE);
    EXPECT_EQ(SoundPlaying(se, 12), soundOff) << soundOff;
    EXPECT_EQ(SoundPlayed(se, 1), !soundOff) << soundOff;
  }
}

}  // namespace
