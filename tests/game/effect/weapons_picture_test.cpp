// One frame of enemy fire on the OpenGL device: bullets of every kind in all
// six batches (textures of the generated data), a laser and a thunder line
// drawn after it, against a reference picture and a few pixels worked out by
// hand.
#include <gtest/gtest.h>

#include <string>

#include "game/effect/ELaserGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EThunderMan.h"
#include "game/tables/image_slots.h"
#include "platform/crt_rand.h"
#include "platform/window.h"
#include "support/EngineWorld.h"
#include "support/ImageCompare.h"
#include "support/PacketScene.h"
#include "support/TempDir.h"
#include "support/WeaponRig.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

class WeaponsPicture : public testsupport::EngineWorld {
 protected:
  void SetUp() override {
    plat::WindowDesc desc;
    desc.width = 640;
    desc.height = 480;
    desc.hidden = true;
    if (!win.Create(desc)) GTEST_SKIP() << "no window";
    window = &win;
    EngineWorld::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    plat::SRand(0);
    scene.SetStatic(true);
    weapons.SetStatic(true);
    ASSERT_EQ(kernel.AddChild(2, &scene, 0), 0);
    ASSERT_EQ(kernel.AddChild(2, &weapons, 0), 0);
    // Play coordinates as the other picture tests set them (the layer
    // state of key 20 is in force from the previous frame), alpha blending
    // for the weapons' keys.
    testsupport::AddPlayLayer(&scene, &view, &clip, 65535.0f, true);
    scene.entries.push_back({4, &BlendPresets[1]});
    const SRscRequest table[] = {{RequestTarget(ImgEShot00), RscTag("IMG"), "\\common\\osr_eshot00", 0, 0, 0, 0},
                                 {RequestTarget(ImgEShot01), RscTag("IMG"), "\\common\\osr_eshot01", 0, 0, 0, 0},
                                 {RequestTarget(ImgEShot02), RscTag("IMG"), "\\common\\osr_eshot02", 0, 0, 0, 0},
                                 {nullptr, 0, nullptr, 0, 0, 0, 0}};
    rm.LoadTable(1, table, -1);
    for (int i = 0; i < 1000 && !rm.Sync(0); ++i) kernel.Step();
    ASSERT_TRUE(rm.Sync(0));
    for (SProc* p : {static_cast<SProc*>(&eshot), static_cast<SProc*>(&thunder)}) {
      p->SetStatic(true);
      ASSERT_EQ(weapons.AddChild(0, p, 0), 0);
    }
  }
  void TearDown() override {
    if (!IsSkipped()) {
      EShotMan::ClearAll(0);
      thunder.ClearAll(0);
      for (SImageSlot* slot : {&ImgEShot00, &ImgEShot01, &ImgEShot02}) slot->Reset();
    }
    EngineWorld::TearDown();
  }
  // The pixel under play point (x, y): the window shows x from -320 to 320
  // and y from -240 to 240.
  uint32_t Pixel(const plat::Image& img, float x, float y) {
    return testsupport::PixelAt(img, static_cast<int>(x + 320.0f), static_cast<int>(y + 240.0f)) & 0x00FFFFFFu;
  }

  plat::Window win;
  testsupport::ScopedDataDir data{testsupport::GeneratedDataRoot()};
  testsupport::PacketScene scene;
  SGpState_View view;
  SGpState_Clip clip;
  testsupport::RelayProc weapons{"Weapons"};
  EShotMan eshot;
  EThunderMan thunder;
};

TEST_F(WeaponsPicture, BulletsOfAllSixBatchesALaserAndThunder) {
  // Six rows of still bullets, one row per batch: batches 0 to 2 the kinds
  // cut from the first image, 3 to 5 those cut from the second (kinds 8, 9,
  // 15 and 16). They creep down the screen at 0.001 a frame, so that the
  // elongated kinds point along their heading (a still shot points to +x).
  const int32_t first[] = {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13};
  const int32_t second[] = {8, 9, 15, 16};
  for (int32_t b = 0; b < 6; ++b) {
    const int32_t* kinds = b < 3 ? first : second;
    const int n = b < 3 ? 12 : 4;
    for (int i = 0; i < n; ++i)
      EShotMan::Fire((b << 8) | kinds[i], 5, -260.0f + 45.0f * static_cast<float>(i), -210.0f + 40.0f * b, 0.0f,
                     0.25f, 0.001f, nullptr, -1, nullptr, 1.0f);
  }
  // A yellow laser straight down from (-150, 40), fixed widths 12 and 8.
  SMatrix muzzle = kIdentityMatrix;
  muzzle.m[3][0] = -150.0f;
  muzzle.m[3][1] = 40.0f;
  ELaserGen* laser = ELaserGen::ELaserGenEx(&muzzle, 0x3, 8.0f, 1000, 3, 0.5f, 20, 0, 12, 12, 20, 0, 8, 8, 30);
  ASSERT_EQ(weapons.AddChild(0, laser, 0), 0);
  // The thunder manager goes behind the laser in the list, so that its
  // packets are entered after the laser's world packet at the same key.
  ASSERT_EQ(thunder.MoveWithinList(false), 0);
  for (int i = 0; i < 126 + 15; ++i) kernel.Step();
  // Thunder entered after the laser, so it must not inherit the laser's
  // world transform: a line of tips heading right from (60, 60).
  const float at[4] = {60.0f, 60.0f, 0.0f, 1.0f};
  thunder.Emit(at, 16.0f, 0.0f, 0.0f, 1.0f, 4.0f, 12, 3);
  for (int i = 0; i < 25; ++i) kernel.Step();
  ASSERT_EQ(eshot.LiveCount(), 3 * 12 + 3 * 4);
  ASSERT_EQ(laser->LiveSegments(), 39);  // it runs from the second step on
  plat::Image img;
  ASSERT_EQ(SGpMan::GetDevice()->ReadBackBuffer(&img), plat::kOk);

  // By hand: the laser's axis 160 units below the muzzle shows the centre
  // colour (200, 200, 90); 40 units to its side, past both strips, is the
  // clear black; so is the empty lower right corner.
  const uint32_t axis = Pixel(img, -150.0f, 200.0f);
  EXPECT_NEAR(static_cast<int>((axis >> 16) & 0xFF), 200, 12) << std::hex << axis;
  EXPECT_NEAR(static_cast<int>((axis >> 8) & 0xFF), 200, 12) << std::hex << axis;
  EXPECT_NEAR(static_cast<int>(axis & 0xFF), 90, 12) << std::hex << axis;
  EXPECT_EQ(Pixel(img, -190.0f, 200.0f), 0u);
  EXPECT_EQ(Pixel(img, 300.0f, 220.0f), 0u);
  // The thunder line runs along y = 60 to the right of x = 60 (in play
  // coordinates, not moved by the laser's transform to x - 150, y + 40).
  int lit = 0;
  for (float x = 70.0f; x < 150.0f; x += 10.0f) lit += Pixel(img, x, 60.0f) != 0u ? 1 : 0;
  EXPECT_GE(lit, 7);
  EXPECT_EQ(Pixel(img, -50.0f, 100.0f), 0u);
  // Every batch row shows its bullets.
  for (int32_t b = 0; b < 6; ++b) {
    const int row = static_cast<int>(-210.0f + 40.0f * b + 240.0f);
    EXPECT_GT(testsupport::PixelsUnlike(img, 0xFF000000u, 0, row - 8, 640, row + 8, 8), b < 3 ? 400 : 150) << b;
  }
  EXPECT_TRUE(testsupport::MatchesGolden(img, "enemy_weapons.png", 4, 40));
}

}  // namespace
