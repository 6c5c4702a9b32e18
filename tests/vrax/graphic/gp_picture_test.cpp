#include <gtest/gtest.h>

#include <tuple>

#include "platform/gfx_device.h"
#include "support/PacketScene.h"
#include "support/image_files.h"
#include "vrax/graphic/SGpMan.h"

namespace {

struct Vtx {
  float x, y, z;
  uint32_t colour;
};

// A flat-coloured quad in play coordinates (x right, y down, z = 0 at the
// eye distance of 512), drawn straight from memory.
struct Quad : SGpObj {
  Quad(float x, float y, float w, float h, uint32_t c) : x(x), y(y), w(w), h(h), colour(c) {}
  void Execute() override {
    plat::GfxDevice* d = SGpMan::GetDevice();
    d->SetRenderState(plat::kRsLighting, 0);
    d->SetTextureStageState(0, plat::kTssColourOp, plat::kTopSelectArg1);
    d->SetTextureStageState(0, plat::kTssColourArg1, plat::kTaDiffuse);
    d->SetTextureStageState(0, plat::kTssAlphaOp, plat::kTopSelectArg1);
    d->SetTextureStageState(1, plat::kTssColourOp, plat::kTopDisable);
    const Vtx v[6] = {{x, y, 0, colour},     {x + w, y, 0, colour},     {x, y + h, 0, colour},
                      {x + w, y, 0, colour}, {x + w, y + h, 0, colour}, {x, y + h, 0, colour}};
    d->SetVertexShader(plat::kFvfPosColour);
    d->DrawPrimitiveUp(plat::kPtTriangleList, 2, v, sizeof(Vtx));
  }
  float x, y, w, h;
  uint32_t colour;
};

// The whole engine path on the OpenGL device: the default block, layer
// state packets entered under keys, packets drawn in key order, the 4:3
// viewport and the frame's clear, read back after the present.
class GpPicture : public testsupport::GlSceneWorld {
 protected:
  uint32_t Pixel(int x, int y) {
    plat::Image img;
    EXPECT_EQ(SGpMan::GetDevice()->ReadBackBuffer(&img), plat::kOk);
    return testsupport::PixelAt(img, x, y) & 0x00FFFFFFu;
  }
  static bool Near(uint32_t a, uint32_t b) {
    for (int s = 0; s < 24; s += 8) {
      int d = static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF);
      if (d < -2 || d > 2) return false;
    }
    return true;
  }
};

TEST_F(GpPicture, KeysDrawBackToFrontWithTheirBlendModes) {
  // Top left corner of the screen is play point (-320, -240).
  Quad back(-320, -240, 40, 40, 0xFF00FF00u);     // opaque green, key 10
  Quad front(-300, -220, 40, 40, 0xFF0000FFu);    // opaque blue, key 0: on top
  Quad half(-200, -240, 20, 20, 0x80FF0000u);     // red at alpha 128, blend 1
  Quad add(-100, -240, 20, 20, 0x40FFFFFFu);      // white at alpha 64, additive
  // After the world's own layer states.
  scene.entries.insert(scene.entries.end(), {{10, &BlendPresets[0]}, {10, &back}, {5, &BlendPresets[1]}, {5, &half},
                                             {3, &BlendPresets[2]}, {3, &add}, {3, &add}, {0, &BlendPresets[0]},
                                             {0, &front}});
  kernel.Step();
  // Key 0 over key 10; 255 x 128/255 over black; 64 + 64 added.
  for (auto [x, y, want] : {std::tuple{5, 5, 0x00FF00u}, {30, 30, 0x0000FFu}, {125, 5, 0x800000u}, {225, 5, 0x808080u}})
    EXPECT_TRUE(Near(Pixel(x, y), want)) << x << "," << y << ": " << std::hex << Pixel(x, y);
  EXPECT_EQ(Pixel(300, 300), 0u);  // the frame's clear
  // Nothing is left over into the next frame: the queue was reset.
  scene.entries.clear();
  kernel.Step();
  EXPECT_EQ(Pixel(5, 5), 0u);
}

}  // namespace
