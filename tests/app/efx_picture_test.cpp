// A frame full of effects on the OpenGL device, through the whole program:
// explosions, a smoke ring, a glow, rings, streaks and a tendril spawned
// once the common images have loaded.
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxMan.h"
#include "game/effect/ExplosionBursts.h"
#include "game/tables/image_slots.h"
#include "platform/crt_rand.h"
#include "support/Headless.h"
#include "support/ImageCompare.h"

namespace {

// Brightest channel of the pixels in a square around (x, y) of the picture.
int Brightest(const plat::Image& img, int x, int y, int r) {
  int best = 0;
  for (int j = y - r; j <= y + r; ++j)
    for (int i = x - r; i <= x + r; ++i) {
      const uint8_t* p = &img.rgba[(static_cast<size_t>(j) * img.width + i) * 4];
      for (int c = 0; c < 3; ++c) best = p[c] > best ? p[c] : best;
    }
  return best;
}

TEST(EffectsPicture, AFrameFullOfEffects) {
  testsupport::Headless sys;
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  for (int i = 0; i < 600 && (ImgEfx == nullptr || g_EfxMan.GetState() != SProc::STATE_RUNNING); ++i) sys.Step(1);
  ASSERT_NE(ImgEfx, nullptr);
  // The attract scenes stand aside: the notice ends, no scene follows it and
  // the screen is clear.
  Game* g = GetGame();
  ASSERT_NE(g, nullptr);
  g_GameTakeover = 1;
  g->GetList(GAME_LIST_SCENE)->KillAll(0);
  g->RampValue(0, 1.0f, 0);
  plat::SRand(0);
  const SVec4 left{-120.0f, -120.0f, 0.0f, 1.0f}, right{120.0f, -120.0f, 0.0f, 1.0f};
  const SVec4 low{-120.0f, 160.0f, 0.0f, 1.0f}, glow{120.0f, 160.0f, 0.0f, 1.0f};
  SpawnExplosionBurst(&left);
  SpawnExplosionLarge2(&right);
  EfxDrawRing(&low, 1.5f, true);
  g_EfxMan.SpawnE(&glow, 1, 48.0f, 60, nullptr);
  const float c1[4] = {1, 1, 0.95f, 0.9f}, c2[4] = {1, 0.5f, 0, 0.9f};
  SMatrix m = kIdentityMatrix;
  g_EfxMan.SpawnC(1, 1, &m, 40.0f, 200.0f, 0.0f, 24.0f, c1, c2, 40, nullptr);
  for (int i = 0; i < 8; ++i) {
    const SVec4 v{i * 2.0f - 7.0f, 6.0f, 0.0f, 0.0f};
    g_EfxMan.SpawnB(static_cast<uint32_t>(i), &glow, &v, 30, 1.0f);
  }
  const SVec4 from{-200.0f, 0.0f, 0.0f, 1.0f}, to{200.0f, 40.0f, 0.0f, 1.0f};
  g_EfxMan.SpawnF(2, &from, &to, 24.0f, 24.0f, 12.0f, 30);
  sys.Step(8);
  plat::Image img;
  ASSERT_TRUE(sys.Screenshot(&img));
  // Play (0, 0) is the screen's centre; y runs down the screen.
  EXPECT_GT(Brightest(img, 320, 240, 60), 60);             // the ring about the centre
  EXPECT_GT(Brightest(img, 320 - 120, 240 - 120, 12), 60);  // the burst
  EXPECT_GT(Brightest(img, 320 + 120, 240 - 120, 12), 60);  // the large explosion
  EXPECT_GT(Brightest(img, 320 + 120, 240 + 160, 16), 60);  // the glow
  EXPECT_LT(Brightest(img, 150, 10, 4), 30);  // a corner of the play area (inside the side images) stays dark
  EXPECT_TRUE(testsupport::MatchesGolden(img, "efx_frame.png", 8, 400));
}

}  // namespace
