// The ship on the OpenGL device through the whole program: hull, options,
// a volley of shots and a blade trail, compared with a reference picture.
#include <gtest/gtest.h>

#include <cmath>

#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"
#include "support/TempDir.h"

namespace {

using testsupport::PlayOptions;
using testsupport::PlayWorld;

// Brightest channel in a square around screen pixel (x, y).
int Brightest(const plat::Image& img, int x, int y, int r) {
  int best = 0;
  for (int j = y - r; j <= y + r; ++j)
    for (int i = x - r; i <= x + r; ++i) {
      if (i < 0 || j < 0 || i >= img.width || j >= img.height) continue;
      const uint8_t* p = &img.rgba[(static_cast<size_t>(j) * img.width + i) * 4];
      for (int c = 0; c < 3; ++c) best = p[c] > best ? p[c] : best;
    }
  return best;
}

// Play coordinates to the 640 x 480 picture: the play area is shown upright
// at three quarters of its size about the centre.
int ScreenX(float x) { return static_cast<int>(std::lround(320.0f + 0.75f * x)); }
int ScreenY(float y) { return static_cast<int>(std::lround(240.0f + 0.75f * y)); }

// The ship with three options alone in the picture, a tap's volleys of
// shots and a blade trail laid by hand: the frame drawn.
void ShipVolley(PlayWorld& w, plat::Image* img) {
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  w.FlyShipVolley();
  ASSERT_GT(g_PShotMan.LiveCount(), 4);
  ASSERT_EQ(g_Player.options.PresentCount(), 3);
  ASSERT_TRUE(w.H().Screenshot(img));
  ASSERT_EQ(img->width, 640);
}

TEST(PlayerPicture, ShipWithOptionsShotsAndTrail) {
  PlayOptions o;
  o.nullDevice = false;
  PlayWorld w(o);
  plat::Image img;
  ASSERT_NO_FATAL_FAILURE(ShipVolley(w, &img));
  // Worked out from the play coordinates: the ship at (0, 150) (drawn 12
  // higher); the last volley's inner shots left y 150 - 4 (at x -10 and
  // +10), started 24 further (a shot 96 long) and flew 6 x 35; the screen's
  // play area's corners dark.
  EXPECT_GT(Brightest(img, ScreenX(0.0f), ScreenY(138.0f), 6), 60);
  EXPECT_GT(Brightest(img, ScreenX(-10.0f), ScreenY(146.0f - 24.0f - 6.0f * 35.0f), 12), 100);
  EXPECT_LT(Brightest(img, ScreenX(-150.0f), ScreenY(0.0f), 10), 30);
  EXPECT_LT(Brightest(img, ScreenX(-230.0f), ScreenY(-310.0f), 4), 30);
  EXPECT_LT(Brightest(img, ScreenX(230.0f), ScreenY(310.0f), 4), 30);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "player_ship.png", 8, 300));
}

// The shots' picture deleted (and its archive): where the last volley's
// inner shots are, the play area is as dark as its corners.
TEST(PlayerPicture, ShotsWhosePictureFailedAreNotDrawn) {
  testsupport::TempDir dir("pshot_data");
  testsupport::LinkDataTreeWithout(dir, {"common/osr_pshot01_00.png", "cache/common.sca"});
  testsupport::ScopedDataDir data(dir.Path());
  PlayOptions o;
  o.nullDevice = false;
  PlayWorld w(o);
  plat::Image img;
  ASSERT_NO_FATAL_FAILURE(ShipVolley(w, &img));
  for (float x : {-10.0f, 10.0f}) EXPECT_LT(Brightest(img, ScreenX(x), ScreenY(146.0f - 24.0f - 6.0f * 35.0f), 12), 30);
}

}  // namespace
