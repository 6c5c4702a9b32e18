// Scene 8: the bonus credited at its start against hand-worked plays, the
// rows' slide and its hurrying presses, the glow's path, the scene that
// follows each stage with the codes the network service receives, and a
// picture: the destroy ratio with its per-cent sign, the tint and the glow
// over the panel. The scene is held by a checked handle: one that ends too
// early fails the test instead of being read after its end.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SceneRig.h"
#include "game/core/RankTable.h"
#include "game/core/StageCounters.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/scene/StageResult.h"
#include "support/ExpectAll.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "vrax/kernel/SHandle.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;
using Codes = std::vector<uint8_t>;

struct Play {
  int32_t stage;
  uint32_t overflow, score;
  int32_t destroyed, appeared, best, catches, lives;
  float power;
};

using Result = SHandle<StageResult>;

Result StartResult(SceneRig& rig, const Play& p) {
  Game* g = rig.G();
  g->stage = p.stage;
  g->record[REC_OVERFLOW] = p.overflow;
  g->record[REC_SCORE] = p.score;
  for (int32_t i = 0; i < p.catches; ++i) g->IncCounterB();  // the stage's lock catches
  g->lives = p.lives;
  g->settings[SettingsWord::extendRow] = 0;  // no extend on the way
  StageDefeatCount = p.destroyed;
  StageEnemyCount = p.appeared;
  g_ChainCounter.stageBest = p.best;
  g_Player.power = p.power;
  rig.Tap().Client().PushFD();
  rig.Tap().Client().PushCode(0);
  rig.Tap().Codes();
  if (!rig.Start(SCENE_STAGE_RESULT, "StageResult")) return {};
  return rig.Scene<StageResult>("StageResult");
}

// Runs frames until the scene is in state s; false when it ended or did not
// get there within 10 frames.
bool RunToState(SceneRig& rig, const Result& r, int32_t s) {
  for (int i = 0; i < 10 && r && r->GetSceneState() != s; ++i) rig.Frame();
  return r && r->GetSceneState() == s;
}

// Hurries the seven rows and the wait with one press each.
bool Hurry(SceneRig& rig, const Result& r) {
  if (!RunToState(rig, r, StageResult::STATE_TALLY)) return false;
  for (int i = 0; i < 8; ++i) rig.Press({CabInput::kButton1});
  return r && r->GetSceneState() == StageResult::STATE_FADE;
}

TEST(StageResult, TheBonusIsInTheScoreFromTheStartAndTheStageCountersAreClearedAfter) {
  const struct {
    Play play;
    uint32_t bonusHigh, bonusLow, overflow, score;
  } cases[] = {
      // 45 of 60 destroyed: ratio 75, 75 x 45 x 1000 = 3,375,000; chain 12:
      // 120,000; 3 catches: 60,000; 2 lives: 100,000; power 2.99: 60,000.
      {{2, 0, 12345678, 45, 60, 12, 3, 2, 2.99f}, 0, 3715000, 0, 16060678},
      // None appeared: ratio 0 and nothing for the destroyed; power 4.0: 120,000.
      {{1, 0, 0, 7, 0, 0, 0, 0, 4.0f}, 0, 120000, 0, 120000},
      // 10,000 of 10,000: 1,000,000,000 and 50,000 for a life: the carry goes
      // to the overflow word, the rest to the score, which carries once more.
      {{3, 2, 999999990, 10000, 10000, 0, 0, 1, 0.0f}, 1, 50000, 4, 49990},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.play.score);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    const Result r = StartResult(rig, c.play);
    ASSERT_TRUE(r);
    Game* g = rig.G();
    EXPECT_ALL({VAL(g->record[REC_BONUS_B_OVERFLOW], c.bonusHigh), VAL(g->record[REC_BONUS_B], c.bonusLow),
                VAL(g->record[REC_OVERFLOW], c.overflow), VAL(g->record[REC_SCORE], c.score)});
    ASSERT_TRUE(Hurry(rig, r));
    ASSERT_GE(rig.RunToNext(100), 0);
    EXPECT_ALL({VAL(g->record[REC_BONUS_B_OVERFLOW], 0u), VAL(g->record[REC_BONUS_B], 0u),
                VAL(g->record[REC_SCORE], c.score)});
  }
  // 3 catches in stage 1 and 2 in stage 2: stage 2's result shows 2 and pays
  // 40,000 for them. The score, its overflow word, the high score taken at
  // the play's start and the play's longest chain go on from stage to stage.
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Game* g = rig.G();
  g->record[REC_HIGH_SCORE] = 5000000;
  g->record[REC_BEST_CHAIN] = 17;
  Result r = StartResult(rig, {1, 2, 1000000, 0, 0, 0, 3, 0, 0.0f});
  ASSERT_TRUE(r);
  EXPECT_ALL({VAL(ChainCounter::GetLockCatches(), 3), VAL(g->record[REC_BONUS_B], 60000u)});
  ASSERT_TRUE(Hurry(rig, r));
  ASSERT_GE(rig.RunToNext(100), 0);
  ASSERT_EQ(g->GetCurrentRequest().a1, 2);
  EXPECT_ALL({VAL(g->record[REC_SCORE], 1060000u), VAL(g->record[REC_OVERFLOW], 2u),
              VAL(g->record[REC_HIGH_SCORE], 5000000u), VAL(g->record[REC_BEST_CHAIN], 17u)});
  g->ClearStageObjects();
  r = StartResult(rig, {2, 2, 1060000, 0, 0, 0, 2, 0, 0.0f});
  ASSERT_TRUE(r);
  EXPECT_ALL({VAL(ChainCounter::GetLockCatches(), 2), VAL(g->record[REC_BONUS_B], 40000u),
              VAL(g->record[REC_SCORE], 1100000u)});
}

TEST(StageResult, RowsSlideIn31FramesEachAPressFinishesOneRowAndTheGlowFollowsItsLoop) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  const Result r = StartResult(rig, {2, 0, 0, 0, 0, 0, 0, 0, 0.0f});
  const auto glow = [&] { return r->GlowTransform().GetMatrix().m[3]; };
  ASSERT_TRUE(RunToState(rig, r, StageResult::STATE_TALLY));
  // Update 1: the glow at A (260, -360), row 0 at x 240.
  EXPECT_ALL({VAL(r->GetRow(), 0), VAL(r->GetCount(), 1), VAL(glow()[0], 260.0f), VAL(glow()[1], -360.0f),
              VAL(r->GetRowX(0), 240.0f)});
  rig.Frames(15);  // count 15: sin(pi/4) of the way from 240 to 40
  ASSERT_TRUE(r);
  EXPECT_NEAR(r->GetRowX(0), 240.0f - 200.0f * std::sqrt(0.5f), 0.01f);
  rig.Frames(15);  // count 30: at 40, not yet done
  ASSERT_TRUE(r);
  EXPECT_ALL({VAL(r->GetRow(), 0), VAL(r->GetRowX(0), 40.0f)});
  rig.Frame();  // its 32nd frame ends the row
  ASSERT_TRUE(r);
  EXPECT_ALL({VAL(r->GetRow(), 1), VAL(r->GetCount(), 0)});
  // Update 101, half way from A to B, is the Hermite point with the
  // tangents (B - H) x 0.65 and (C - A) x 0.65: (140.75, -86.1875); update
  // 201 is at B (-50, 160).
  rig.Frames(69);
  ASSERT_TRUE(r);
  EXPECT_NEAR(glow()[0], 140.75f, 0.01f);
  EXPECT_NEAR(glow()[1], -86.1875f, 0.01f);
  rig.Frames(100);
  ASSERT_TRUE(r);
  EXPECT_NEAR(glow()[0], -50.0f, 0.001f);
  EXPECT_NEAR(glow()[1], 160.0f, 0.001f);
  // Rows 1 to 5 took 32 frames each: row 6 is sliding in. A button held
  // for ten frames finishes it alone.
  EXPECT_EQ(r->GetRow(), 6);
  rig.Frame({CabInput::kButton1}, 10);
  ASSERT_TRUE(r);
  EXPECT_ALL({VAL(r->GetSceneState(), StageResult::STATE_WAIT), VAL(r->GetRowX(6), 20.0f), VAL(r->GetRowX(2), 40.0f)});
  // Left alone the wait ends on its 241st frame, the fade on its 62nd.
  for (int i = 0; i < 250 && r && r->GetCount() < 240; ++i) rig.Frame();
  rig.Frame();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->GetSceneState(), StageResult::STATE_WAIT);
  rig.Frame();
  ASSERT_TRUE(r);
  EXPECT_ALL({VAL(r->GetSceneState(), StageResult::STATE_FADE), VAL(r->GetCount(), 1)});
  rig.Frames(60);
  EXPECT_NE(rig.G()->FindInList("StageResult", GAME_LIST_SCENE), nullptr);
  rig.Frame();
  EXPECT_EQ(rig.G()->FindInList("StageResult", GAME_LIST_SCENE), nullptr);
}

TEST(StageResult, SoundNineteenStartsEachOfTheSevenRowsHurriedOrNotAndNeverWithTheSoundOff) {
  using testsupport::SoundPlayed;
  for (const bool soundOff : {false, true}) {
    SCOPED_TRACE(soundOff);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    SRsc* se = testsupport::EffectBank();
    ASSERT_NE(se, nullptr);
    rig.G()->soundOff = soundOff ? 1 : 0;
    testsupport::RearmSound(se, 19);
    const Result r = StartResult(rig, {2, 0, 0, 0, 0, 0, 0, 0, 0.0f});
    ASSERT_TRUE(RunToState(rig, r, StageResult::STATE_TALLY));
    // Row 0 left alone: the sound at its first frame only.
    EXPECT_EQ(SoundPlayed(se, 19), !soundOff);
    testsupport::RearmSound(se, 19);
    rig.Frames(30);
    ASSERT_TRUE(r);
    EXPECT_ALL({VAL(r->GetRow(), 0), VAL(SoundPlayed(se, 19), false)});
    rig.Frame();  // row 0 ends; row 1 starts in the next frame
    rig.Frame();
    ASSERT_TRUE(r);
    EXPECT_ALL({VAL(r->GetRow(), 1), VAL(SoundPlayed(se, 19), !soundOff)});
    // Rows 2 to 6, each hurried by a press: once each.
    for (int row = 2; row <= 6; ++row) {
      testsupport::RearmSound(se, 19);
      rig.Press({CabInput::kButton1});
      ASSERT_TRUE(r);
      EXPECT_EQ(r->GetRow(), row);
      EXPECT_EQ(SoundPlayed(se, 19), !soundOff) << row;
    }
    // The last press ends row 6: the wait has no sound.
    testsupport::RearmSound(se, 19);
    rig.Press({CabInput::kButton1});
    ASSERT_TRUE(r);
    EXPECT_ALL({VAL(r->GetSceneState(), StageResult::STATE_WAIT), VAL(SoundPlayed(se, 19), false)});
  }
}

TEST(StageResult, EachStageLeadsOn) {
  ResetRankTable();
  const struct {
    int32_t stage;
    uint32_t overflow, score;
    int32_t next, a1;
    Codes codes;
  } cases[] = {
      {1, 0, 0, SCENE_STAGE, 2, {}},
      {2, 0, 0, SCENE_STAGE, 3, {}},
      {3, 0, 0, SCENE_STAGE, 4, {}},
      {4, 0, 349999999, SCENE_ENDING1, 1, {}},
      {4, 0, 350000000, SCENE_STAGE, 5, {}},
      {4, 1, 0, SCENE_STAGE, 5, {}},
      {5, 0, 50000000, SCENE_ENTRY, 1, {0x08}},
      {5, 0, 3999999, SCENE_RANKING, 0, {0x08, 0xFE}},
      {-10, 0, 0, SCENE_STAGE, -10, {}},
      {6, 0, 0, SCENE_TITLE, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "stage " << c.stage << " score " << c.score);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    PendingRankEntry = RankEntry{};
    // No bonus: the score stays as given.
    const Result r = StartResult(rig, {c.stage, c.overflow, c.score, 0, 0, 0, 0, 0, 0.0f});
    ASSERT_TRUE(Hurry(rig, r));
    ASSERT_GE(rig.RunToNext(100), 0);
    EXPECT_ALL({VAL(rig.G()->GetCurrentRequest().id, c.next), VAL(rig.G()->GetCurrentRequest().a1, c.a1)});
    EXPECT_EQ(rig.Tap().Codes(), c.codes);
    // The play is recorded where it may rank: after the first ending's
    // stage and after the last stage.
    const bool recorded = c.next == SCENE_ENDING1 || c.stage == 5;
    EXPECT_EQ(PendingRankEntry.word[1], recorded ? c.score : 0u);
    EXPECT_EQ(PendingRankEntry.word[2], recorded ? static_cast<uint32_t>(c.stage) : 0u);
  }
}

using testsupport::CountPlayPixels;

bool Ink(uint32_t r, uint32_t g, uint32_t b) { return r > 150 && g > 150 && b > 150; }

// The colour at a point of play space on the 640 x 480 picture.
struct Colour {
  int r, g, b;
};
Colour At(const plat::Image& img, float x, float y) {
  const uint32_t p = testsupport::PixelAt(img, testsupport::PlayPx(x), testsupport::PlayPy(y));
  return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
}

TEST(StageResult, PictureTheRatioWithItsPerCentSignAndTheGlowOverThePanel) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  // 166 of 193 destroyed: 86 per cent.
  const Result r = StartResult(rig, {1, 0, 10203321, 166, 193, 0, 0, 2, 0.0f});
  ASSERT_TRUE(RunToState(rig, r, StageResult::STATE_TALLY));
  for (int i = 0; i < 7; ++i) rig.Press({CabInput::kButton1});  // every row in
  ASSERT_TRUE(r);
  ASSERT_EQ(r->GetSceneState(), StageResult::STATE_WAIT);
  // A plain spot of the panel between the power and the bonus rows.
  const float qx = (245.5f - 320.0f) / 0.75f, qy = (315.5f - 240.0f) / 0.75f;
  const auto glowDistance = [&] {
    const float* t = r->GlowTransform().GetMatrix().m[3];
    return std::hypot(t[0] - qx, t[1] - qy);
  };
  // Faded in, with the glow still near its first point (260, -360): the
  // disc of radius 384 lies far from the spot.
  for (int i = 0; i < 80 && r && rig.G()->GetFadeLevel() < 1.0f; ++i) rig.Frame();
  rig.Frame();  // the picture drawn at that level
  ASSERT_TRUE(r);
  ASSERT_GT(glowDistance(), 400.0f);
  plat::Image far;
  ASSERT_TRUE(rig.Sys().Screenshot(&far));
  // Update 201: the glow at its second point (-50, 160).
  for (int i = 0; i < 200 && r && r->GlowTransform().GetMatrix().m[3][0] != -50.0f; ++i) rig.Frame();
  ASSERT_TRUE(r);
  ASSERT_EQ(r->GetSceneState(), StageResult::STATE_WAIT);
  plat::Image near;
  ASSERT_TRUE(rig.Sys().Screenshot(&near));
  // The glow is added over the panel: at the distance d from its centre its
  // colour (0.66, 0.288, 0.144) and its alpha both fall by 1 - d / 384, so
  // the spot gains the colour times (1 - d / 384)^2.
  const float k = std::pow(1.0f - glowDistance() / 384.0f, 2.0f) * 255.0f;
  const Colour a = At(far, qx, qy), b = At(near, qx, qy);
  EXPECT_NEAR(b.r - a.r, 0.66f * k, 6.0f);
  EXPECT_NEAR(b.g - a.g, 0.288f * k, 6.0f);
  EXPECT_NEAR(b.b - a.b, 0.144f * k, 6.0f);
  // Row 0 at x 40: "166" from x 47, and the ratio "%3d%c" with " 86" and
  // the code after "9" from x 105 in cells of 14 x 19 from y -143. Its
  // fourth cell shows a per-cent sign: ink at the upper left and at the
  // lower right of the cell, where a colon (two dots on the middle line)
  // has none.
  const float cx = 105.0f + 3.0f * 14.0f, cy = -143.0f;
  EXPECT_GT(CountPlayPixels(near, cx, cy, cx + 5.0f, cy + 9.0f, Ink), 0);
  EXPECT_GT(CountPlayPixels(near, cx + 9.0f, cy + 10.0f, cx + 14.0f, cy + 19.0f, Ink), 0);
  EXPECT_TRUE(testsupport::MatchesGolden(near, "stage_result_line.png", 8, 60));
}

}  // namespace
