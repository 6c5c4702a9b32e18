#include "game/core/GfxObject.h"

#include <gtest/gtest.h>

#include <vector>

#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/gp_support.h"  // tests/vrax/graphic
#include "vrax/resource/SImageSlot.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

// A 16x16-cell font on a 256x256 part, characters from ' '.
const SGpRect kSheet(nullptr, 0, 256.0f, 256.0f, 0.0f, 0.0f, 256.0f, 256.0f);
const SGpRectGrid kFont{&kSheet, 16.0f, 16.0f, 32};

TEST(GfxObject, NewObjectIsWhiteAtScaleOneWithoutSpacing) {
  GfxObject g;
  EXPECT_EQ(g.GetFont(), nullptr);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(g.GetColour()[i], 1.0f);
  EXPECT_EQ(g.GetScale()[0], 1.0f);
  EXPECT_EQ(g.GetScale()[1], 1.0f);
  EXPECT_EQ(g.GetSpacing()[0], 0.0f);
  EXPECT_EQ(g.GetSpacing()[1], 0.0f);
  ASSERT_EQ(g.Init(&kFont, 8), 0);
  g.PutString("A");
  EXPECT_EQ(g.GetQuads().GetVertexColour(0), 0xFFFFFFFFu);
}

TEST(GfxObject, PenFollowsOriginAndClearReturnsIt) {
  GfxObject g;
  ASSERT_EQ(g.Init(&kFont, 32), 0);
  const float v[4] = {10, 20, 0, 1};
  g.SetOriginV(v);
  EXPECT_EQ(g.GetPen()[3], 1.0f);
  g.MovePen(5, 6, 0);
  EXPECT_EQ(g.GetOrigin()[0], 10.0f);
  EXPECT_EQ(g.GetPen()[0], 15.0f);
  g.Clear();
  EXPECT_EQ(g.GetPen()[0], 10.0f);
  EXPECT_EQ(g.GetPen()[1], 20.0f);
  g.SetOrigin(-100, 50, 2);
  EXPECT_EQ(g.GetPen()[0], -100.0f);
  EXPECT_EQ(g.GetPen()[3], 1.0f);  // the origin's w
}

TEST(GfxObject, AppendsContinueAtThePen) {
  GfxObject g;
  ASSERT_EQ(g.Init(&kFont, 32), 0);
  g.SetOrigin(0, 0, 0);
  g.SetScale(2.0f, 2.0f);
  g.SetSpacing(1.0f, 0.0f);
  g.Printf("%d", 12);
  g.PrintfAppend("%s", "AB");
  g.PrintfAppend("C");
  EXPECT_EQ(g.GlyphCount(), 5);
  // Each glyph advances 16 x 2 + 1.
  EXPECT_EQ(g.GetPen()[0], 5 * 33.0f);
  EXPECT_EQ(g.GetQuads().GetVertexPos(4 * 4).x, 4 * 33.0f);
  // A new Printf starts over from the origin.
  g.Printf("Z");
  EXPECT_EQ(g.GlyphCount(), 1);
  EXPECT_EQ(g.GetPen()[0], 33.0f);
}

// An image of two white 1x1 textures on the device.
struct TwoTextures : SRsc_Image {
  TwoTextures() {
    for (auto*& t : tex) SGpMan::GetDevice()->CreateTextureFromImage(plat::Image{1, 1, {255, 255, 255, 255}}, &t);
  }
  ~TwoTextures() override {
    for (auto* t : tex) SGpMan::ForgetTexture(t), t->Release();
  }
  int32_t TextureCount() const override { return 2; }
  plat::Texture* GetDeviceTexture(int32_t n) const override { return n >= 0 && n < 2 ? tex[n] : nullptr; }
  plat::Texture* tex[2] = {};
};

// A text drawn while its font's image slot is empty binds no texture: not
// the current image's texture of the font's number, so its glyphs are not
// drawn at all. Once the slot holds the font's image they are drawn with
// its texture.
TEST(GfxObject, ATextWhoseFontSlotIsEmptyIsNotDrawnWithTheCurrentImage) {
  NullDeviceScope gpu;
  ASSERT_TRUE(gpu.ok);
  gpu.dev()->BeginScene();
  TwoTextures current, font;
  SImageSlot slot;
  const SGpRect sheet(&slot, 1, 256.0f, 256.0f, 0.0f, 0.0f, 256.0f, 256.0f);
  const SGpRectGrid grid{&sheet, 16.0f, 16.0f, 32};
  GfxObject g;
  ASSERT_EQ(g.Init(&grid, 8), 0);
  g.PutString("AB");
  SGpMan::SetTexture(&current, 0);
  const uint64_t before = gpu.dev()->GetStats().draws;
  g.Execute();
  EXPECT_EQ(gpu.dev()->GetStats().draws, before);
  EXPECT_EQ(SGpMan::GetTextureOwner(), nullptr);
  EXPECT_EQ(gpu.dev()->GetTexture(0), current.tex[0]);

  slot = &font;
  g.Execute();
  EXPECT_GT(gpu.dev()->GetStats().draws, before);
  EXPECT_EQ(gpu.dev()->GetTexture(0), font.tex[1]);
  gpu.dev()->EndScene();
}

}  // namespace
