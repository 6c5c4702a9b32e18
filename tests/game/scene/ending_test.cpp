// The endings: the picture's drift and fade, the staff roll, how the roll
// ends, and where each ending leads with the codes the service receives.
#include <gtest/gtest.h>

#include <vector>

#include "SceneRig.h"
#include "game/core/RankTable.h"
#include "game/scene/Ending1.h"
#include "game/scene/Ending2.h"
#include "game/scene/CommonTables.h"
#include "platform/sound_device.h"
#include "support/ExpectAll.h"
#include "support/SoundProbe.h"
#include "vrax/resource/SRsc_Sound.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;
using Codes = std::vector<uint8_t>;

// The volume of music entry n as the sound device holds it, in hundredths
// of a decibel (volume v of the player: v x 10000 / 65536 - 10000).
int32_t MusicHundredths(int32_t n) {
  auto* bank = dynamic_cast<SRsc_Sound*>(RscMusic);
  int32_t v = 1;
  if (bank != nullptr && n < static_cast<int32_t>(bank->Bank()->entries.size()))
    bank->Bank()->entries[size_t(n)]->buffer->GetVolume(&v);
  return v;
}

TEST(Ending, LeftAloneTheRollLasts5801FramesThenTheSecondEndingLeadsToTheStageResult) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ASSERT_TRUE(rig.Start(SCENE_ENDING2, "Ending2"));
  auto* e = rig.Scene<Ending2>("Ending2");
  while (e->GetSceneState() != EndingScene::STATE_ROLL) rig.Frame();
  EXPECT_ALL({VAL(e->GetCount(), 1), VAL(e->GetFrames(), 1)});
  // After k updates the picture is k x 0.15 lower, its top 542 above that;
  // the roll k x 0.45 higher, its first strip from y 320 (224 x 640 each).
  const auto check = [&](int k, uint32_t alpha) {
    while (e->GetFrames() < k) rig.Frame();
    SCOPED_TRACE(k);
    // The offsets are sums of k steps in single precision.
    const float p = 0.15f * static_cast<float>(k), r = -0.45f * static_cast<float>(k), tol = 3e-5f * k;
    EXPECT_NEAR(e->Picture().GetVertexPos(0).y, p - 542.0f, tol);
    EXPECT_NEAR(e->Picture().GetVertexPos(3).y, p + 320.0f, tol);
    EXPECT_EQ(e->Picture().GetVertexColour(0) >> 24, alpha);
    EXPECT_NEAR(e->Roll(1).GetVertexPos(0).y, r + 960.0f, tol);
    EXPECT_EQ(e->Roll(2).GetVertexPos(3).x, 112.0f);
  };
  // Opaque for 800 updates, then faded out over 120 (alpha packed to 0-255).
  check(800, 255);
  check(861, 128);  // 1 - 60/120
  check(921, 0);
  check(5000, 0);
  while (e->GetCount() < 5800) rig.Frame();
  EXPECT_EQ(e->GetSceneState(), EndingScene::STATE_ROLL);
  rig.Frame();  // count 5,800: the end of the roll
  rig.Frame();
  EXPECT_ALL({VAL(e->GetSceneState(), EndingScene::STATE_FADE), VAL(e->GetCount(), 1)});
  rig.Frames(60);  // its 62nd frame ends it
  EXPECT_NE(rig.G()->FindInList("Ending2", GAME_LIST_SCENE), nullptr);
  rig.Frame();
  EXPECT_EQ(rig.G()->FindInList("Ending2", GAME_LIST_SCENE), nullptr);
  ASSERT_GE(rig.RunToNext(10), 0);
  EXPECT_ALL({VAL(rig.G()->GetCurrentRequest().id, SCENE_STAGE_RESULT), VAL(rig.G()->GetCurrentRequest().a1, 1)});
}

TEST(Ending, MusicSevenStartsWithTheFadeInAtTheMusicLevelAndFallsToSilenceOverTheFadeOut) {
  for (const bool soundOff : {false, true}) {
    SCOPED_TRACE(soundOff);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    ASSERT_NE(RscMusic, nullptr);
    testsupport::StopSound(RscMusic, 7);
    rig.G()->soundOff = soundOff ? 1 : 0;
    rig.G()->settings[SettingsWord::musicVolume] = 50;
    ASSERT_TRUE(rig.Start(SCENE_ENDING2, "Ending2"));
    auto* e = rig.Scene<Ending2>("Ending2");
    while (e->GetSceneState() != EndingScene::STATE_ROLL) rig.Frame();
    EXPECT_EQ(testsupport::SoundPlaying(RscMusic, 7), !soundOff);
    if (!soundOff) {
      // 50 per cent: level 2 x 0.95 x 0.5 x 0.5 + 0.25 = 0.725, volume
      // 0.725 x 65536 = 47513, 47513 x 10000 / 65536 - 10000 = -2751.
      EXPECT_EQ(MusicHundredths(7), -2751);
    }
    rig.Press({CabInput::kButton1});
    ASSERT_EQ(e->GetSceneState(), EndingScene::STATE_FADE);
    // After the frame of count 30: half of it, 23756, -6376.
    while (e->GetCount() < 31) rig.Frame();
    if (!soundOff) { EXPECT_EQ(MusicHundredths(7), -6376); }
    // Count 60: silence (volume 0 is the floor of the device).
    while (e->GetCount() < 61) rig.Frame();
    if (!soundOff) { EXPECT_EQ(MusicHundredths(7), plat::kSoundVolumeMin); }
    // The dispose stops it.
    ASSERT_GE(rig.RunToNext(10), 0);
    EXPECT_FALSE(testsupport::SoundPlaying(RscMusic, 7));
    rig.G()->settings[SettingsWord::musicVolume] = 100;
  }
}

TEST(Ending, APressEndsTheFirstEndingForTheNameEntryOrTheRanking) {
  for (const bool ranks : {true, false}) {
    SCOPED_TRACE(ranks);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    ResetRankTable();
    PendingRankEntry = RankEntry{};
    PendingRankEntry.word[1] = ranks ? 300000000u : 100u;
    rig.Tap().Client().PushFD();
    rig.Tap().Client().PushCode(0);
    rig.Tap().Codes();
    // A button held since before the ending does not end the roll.
    rig.G()->ChangeScene(SCENE_ENDING1, 1);
    for (int i = 0; i < 10; ++i) rig.Frame({CabInput::kButton1});
    auto* e = rig.Scene<Ending1>("Ending1");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetSceneState(), EndingScene::STATE_ROLL);
    rig.Frame();
    rig.Frame({CabInput::kStart});
    rig.Frame();
    EXPECT_ALL({VAL(e->GetSceneState(), EndingScene::STATE_FADE), VAL(e->GetCount(), 1)});
    EXPECT_EQ(e->Picture().GetVertexColour(0) >> 24, 255u);  // ended before 800 updates: opaque
    rig.Frames(59);  // its 61st frame ends it
    EXPECT_NE(rig.G()->FindInList("Ending1", GAME_LIST_SCENE), nullptr);
    rig.Frame();
    EXPECT_EQ(rig.G()->FindInList("Ending1", GAME_LIST_SCENE), nullptr);
    ASSERT_GE(rig.RunToNext(10), 0);
    EXPECT_EQ(rig.G()->GetCurrentRequest().id, ranks ? SCENE_ENTRY : SCENE_RANKING);
    EXPECT_EQ(rig.Tap().Codes(), ranks ? Codes{0x08} : (Codes{0x08, 0xFE}));
  }
}

}  // namespace
