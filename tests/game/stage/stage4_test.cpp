// Stage 4 started directly in the whole program: its sky layer's rows and
// the closing flash along the rail, its end in the stage result without an
// error line, and a frame of the sun's lens flare.
#include <gtest/gtest.h>

#include <cmath>

#include "game/core/Game.h"
#include "game/stage/MapMng.h"
#include "game/stage/Stage4.h"
#include "support/ErrorBox.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::PlayWorld;

Stage4Sky* Sky(Game* g) {
  SProcList* l = g->GetList(GAME_LIST_STAGE);
  auto* s = l != nullptr ? dynamic_cast<Stage4*>(l->Head()) : nullptr;
  return s != nullptr ? s->Sky() : nullptr;
}

// The layer at a rail position, worked from the sky's rows (the alpha at
// 2400 is 0.7 - 50 x 0.01 x 0.7; 2450 leaves it at 0.0 for the part from
// 3000 on).
struct SkyRow {
  float t;
  bool shown, hole;
  float alpha;
};
constexpr SkyRow kRows[] = {
    {100, true, false, 0.3f},  {300, true, false, 0.6f}, {450, true, false, 0.4f},  {700, true, false, 0.2f},
    {1500, false, false, 0.2f}, {2200, true, true, 0.7f}, {2400, true, true, 0.35f}, {2600, false, true, 0.0f},
    {3200, true, true, 0.0f},  {5000, false, true, 0.0f},
};

TEST(Stage4, SkyRowsFlashAndARunToTheStageResult) {
  testsupport::ErrorBoxCatcher box;
  testsupport::PlayOptions o;
  o.stage = 4;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  w.stageMayEnd = true;
  w.Hold(plat::CabInput::kButton1);
  size_t row = 0;
  float flash = 0.0f, holeScrollY = 0.0f, lastY = 0.0f;
  int f = 0;
  for (; f < 20000 && g->GetSceneId() == SCENE_STAGE; ++f) {
    g->lives = 3;
    w.Step();
    const Stage4Sky* sky = Sky(g);
    const float t = g_MapMng.t;
    if (sky == nullptr) continue;
    if (row < std::size(kRows) && std::fabs(t - kRows[row].t) < 0.5f) {
      const SkyRow& r = kRows[row++];
      EXPECT_EQ(sky->Shown(), r.shown) << r.t;
      EXPECT_EQ(sky->HoleLayer(), r.hole) << r.t;
      EXPECT_NEAR(sky->Alpha(), r.alpha, 0.002f) << r.t;
    }
    // The hole layer scrolls up by 10 a frame.
    if (t > 2100.0f && t < 2110.0f) holeScrollY = sky->Layer().GetOffsetY() - lastY;
    lastY = sky->Layer().GetOffsetY();
    if (t > 6999.0f && t < 7014.0f) flash = std::max(flash, g->GetFadeLevel());
    if (t > 7300.0f && t < 7301.0f) EXPECT_EQ(g->GetFadeLevel(), 1.0f);
  }
  EXPECT_EQ(row, std::size(kRows));
  EXPECT_NEAR(holeScrollY, -10.0f, 0.01f);
  // Towards white (1.7) over the 15 frames from 6999.
  EXPECT_GT(flash, 1.6f);
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE_RESULT);
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
}

TEST(Stage4, PictureOfTheSunsFlare) {
  testsupport::PlayOptions o;
  o.stage = 4;
  o.nullDevice = false;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  // Past the flash: the sky model round the camera and the flare's sprites.
  g_MapMng.SetSection(0, 7020.0f);
  w.Step(20);
  plat::Image img;
  ASSERT_TRUE(w.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "stage4_frame.png", 8, 400));
}

}  // namespace
