// The in-game display on the OpenGL device, through the whole program: a
// known score, high score, lives, bombs, power and lock-on gauge.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/core/Game.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::PlayWorld;

TEST(HudPicture, ScoreLivesBombsAndGauges) {
  testsupport::PlayOptions options;
  options.nullDevice = false;
  PlayWorld w(options);
  ASSERT_TRUE(w.Ok());
  w.G()->GetList(GAME_LIST_STAGE)->KillAll(0);  // no stage end during the picture
  ASSERT_GE(w.RunToControl(), 0);
  Game* g = w.G();
  g->record[REC_SCORE] = 123456789;
  g->record[REC_OVERFLOW] = 1;
  g->record[REC_HIGH_SCORE] = 987654321;
  g->record[REC_HIGH_OVERFLOW] = 2;
  g->lives = 3;
  g->bombs = 2;
  g_Player.power = 2.5f;
  g_Player.lockOnCooldown = 0;
  g_Player.invulnerability = 0;  // no shield over the ship
  w.Step(120);
  plat::Image img;
  ASSERT_TRUE(w.H().Screenshot(&img));
  // Play (x, y) is on screen at (320 + 0.75 x, 240 + 0.75 y).
  auto at = [&img](float x, float y) {
    return testsupport::PixelAt(img, static_cast<int>(320.0f + 0.75f * x), static_cast<int>(240.0f + 0.75f * y));
  };
  auto green = [](uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); };
  auto bright = [](uint32_t c) { return std::max({(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF}); };
  // The power gauge at 2.5 is half full: 115 x 0.5 from x = -179.
  EXPECT_GT(green(at(-150.0f, -286.0f)), 120u);
  EXPECT_LT(green(at(-100.0f, -286.0f)), 60u);
  // The lock-on gauge is full (no cooldown).
  EXPECT_GT(bright(at(-211.0f, -290.0f)), 120u);
  // Three life icons at x = 30 i - 225, none at the fourth place.
  for (int i = 0; i < 3; ++i) EXPECT_GT(bright(at(30.0f * i - 225.0f, -240.0f)), 120u) << i;
  EXPECT_LT(bright(at(-135.0f, -240.0f)), 40u);
  // Two bomb icons up from (225, 300), none at the third place.
  EXPECT_GT(bright(at(225.0f, 300.0f)), 80u);
  EXPECT_GT(bright(at(225.0f, 284.0f)), 80u);
  EXPECT_LT(bright(at(225.0f, 268.0f)), 40u);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "hud_frame.png", 8, 200));
}

}  // namespace
