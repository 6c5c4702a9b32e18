// One frame of each stage on the OpenGL device through the whole program,
// compared with its reference picture, with a few pixels worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "game/core/Game.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
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

}  // namespace
