// One frame of each stage on the OpenGL device through the whole program,
// compared with its reference picture, with a few pixels worked out by hand;
// the stage title held over a stage's start, where its rows stand on screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "game/core/Game.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageName.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::PlayOptions;
using testsupport::PlayWorld;

// Play coordinates to the 640 x 480 picture: the play area is shown upright
// at three quarters of its size about the centre.
int ScreenX(float x) { return static_cast<int>(std::lround(320.0f + 0.75f * x)); }
int ScreenY(float y) { return static_cast<int>(std::lround(240.0f + 0.75f * y)); }

const uint8_t* Pixel(const plat::Image& img, int x, int y) {
  return &img.rgba[(static_cast<size_t>(y) * img.width + x) * 4];
}

TEST(StagePicture, StageOneAtRailPosition900) {
  PlayOptions o;
  o.nullDevice = false;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  // Straight to rail position 900, before the rail has passed its first
  // command: the scenery stays shown, the cloud planes are past.
  g_MapMng.SetSection(0, 900.0f);
  w.Step(45);
  ASSERT_LT(g_MapMng.t, 950.0f);
  plat::Image img;
  ASSERT_TRUE(w.H().Screenshot(&img));
  ASSERT_EQ(img.width, 640);
  // Where nothing stands the white far plane is all but lost in the fog:
  // at rail position 900 the fog is (0.913725, 0.372549, 0.192157), (233,
  // 95, 49) (the stage's fade-in has ended); at most a tenth of white shows.
  ASSERT_EQ(w.G()->GetFadeLevel(), 1.0f);
  const uint8_t* p = Pixel(img, ScreenX(0.0f), ScreenY(-200.0f));
  const int fog[3] = {233, 95, 49};
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(p[c], fog[c] - 3) << c;
    EXPECT_LE(p[c], fog[c] + (255 - fog[c]) / 10 + 3) << c;
  }
  EXPECT_TRUE(testsupport::MatchesGolden(img, "stage1_frame.png", 8, 400));
}

// Stage 5's title 99 frames in (its hold: every row at x -60, alpha 1). Its
// 23 rows of 121 x 2 units stand at (-60, i - 100) on the screen, whatever
// the stage camera or the shake: x -120.5 to 0.5, y -101 (row 0) to -77 (row
// 22), at 0.75 pixels a unit about (320, 240) pixels 229.625 to 320.375
// across and 164.25 to 182.25 down. The device samples pixels at whole
// coordinates: columns 230 to 320 and rows 165 to 182, 91 x 18, in white
// (the stand-in title). The game paused, the same frame is drawn again
// without the title: the picture changes there and nowhere else.
TEST(StagePicture, HeldStageTitleStandsLeftOfCentreAboveTheMiddle) {
  constexpr int kX0 = 230, kX1 = 321, kY0 = 165, kY1 = 183;
  PlayOptions o;
  o.nullDevice = false;
  o.livelyStage = true;
  o.stage = 5;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  SProc* stage = g->FindInList("Stage5", GAME_LIST_STAGE);
  ASSERT_NE(stage, nullptr);
  StageName* title = nullptr;
  for (int f = 0; f < 400 && (title == nullptr || title->GetFrame() < 99); ++f) {
    w.Step();
    title = dynamic_cast<StageName*>(stage->FindInList("StageName", 0));
  }
  ASSERT_NE(title, nullptr);
  ASSERT_EQ(title->GetFrame(), 99);
  g->SetPause(true);
  w.Step();
  plat::Image shown, gone;
  ASSERT_TRUE(w.H().Screenshot(&shown));
  title->Kill(0);
  w.Step();
  ASSERT_TRUE(w.H().Screenshot(&gone));
  ASSERT_EQ(shown.width, 640);
  ASSERT_EQ(shown.height, 480);
  EXPECT_EQ(testsupport::PixelsUnlike(shown, 0xFFFFFFFFu, kX0, kY0, kX1, kY1), 0);
  int inside = 0, outside = 0;
  for (int y = 0; y < shown.height; ++y)
    for (int x = 0; x < shown.width; ++x) {
      if (testsupport::PixelAt(shown, x, y) == testsupport::PixelAt(gone, x, y)) continue;
      (x >= kX0 && x < kX1 && y >= kY0 && y < kY1 ? inside : outside)++;
    }
  // Behind the title stands the stage's pale wall: the whole block changes.
  EXPECT_EQ(inside, (kX1 - kX0) * (kY1 - kY0));
  EXPECT_EQ(outside, 0);
}

}  // namespace
