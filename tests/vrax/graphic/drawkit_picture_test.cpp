// The drawing toolkit through the whole engine path on the OpenGL device: a
// sheet of sprite parts through the sprite batch, a ring on a scene node, a
// text line from a font grid and two colour-filled strips, compared with a
// stored reference picture.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "vrax/resource/SImageSlot.h"
#include "platform/gfx_device.h"
#include "support/ImageCompare.h"
#include "support/PacketScene.h"
#include "support/image_files.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpRing.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SGpText.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

// An image resource holding textures made in the test.
class TestImage : public SRsc_Image {
 public:
  ~TestImage() override {
    for (plat::Texture* t : textures) t->Release();
  }
  int32_t TextureCount() const override { return static_cast<int32_t>(textures.size()); }
  plat::Texture* GetDeviceTexture(int32_t n) const override {
    return n >= 0 && n < TextureCount() ? textures[static_cast<size_t>(n)] : nullptr;
  }
  std::vector<plat::Texture*> textures;
};

// Texture 0: four 32x32 parts (a disc, a frame, a diamond, an arrow up).
plat::Image SpriteSheet() {
  return testsupport::MakeImage(64, 64, [](int x, int y) -> uint32_t {
    const int px = x % 32, py = y % 32;
    const float cx = float(px) - 15.5f, cy = float(py) - 15.5f;
    switch ((y / 32) * 2 + x / 32) {
      case 0: return cx * cx + cy * cy < 14.0f * 14.0f ? 0xFFFF8020u : 0u;
      case 1: return (px < 3 || px > 28 || py < 3 || py > 28) ? 0xFF20E040u : 0u;
      case 2: return std::fabs(cx) + std::fabs(cy) < 15.0f ? 0xFF3060FFu : 0u;
      default: return (py >= 4 && std::fabs(cx) * 2.0f < float(py - 4)) || (py > 18 && std::fabs(cx) < 4.0f)
                          ? 0xFFFFFFFFu
                          : 0u;
    }
  });
}

// Texture 1: digits 0-9 in 8x12 cells, a 3x5 dot pattern at twice its size.
plat::Image DigitFont() {
  static const char* const kGlyphs[10] = {"111101101101111", "010110010010111", "111001111100111",
                                          "111001111001111", "101101111001001", "111100111001111",
                                          "111100111101111", "111001010010010", "111101111101111",
                                          "111101111001111"};
  return testsupport::MakeImage(80, 12, [](int x, int y) -> uint32_t {
    const int gx = (x % 8 - 1) / 2, gy = (y - 1) / 2;
    if (x % 8 < 1 || gx > 2 || y < 1 || gy > 4) return 0u;
    return kGlyphs[x / 8][gy * 3 + gx] == '1' ? 0xFFFFFFFFu : 0u;
  });
}

SImageSlot ImgSheet;
const SGpRect kParts[4] = {
    {&ImgSheet, 0, 64.0f, 64.0f, 0.0f, 0.0f, 32.0f, 32.0f},
    {&ImgSheet, 0, 64.0f, 64.0f, 32.0f, 0.0f, 32.0f, 32.0f},
    {&ImgSheet, 0, 64.0f, 64.0f, 0.0f, 32.0f, 32.0f, 32.0f},
    {&ImgSheet, 0, 64.0f, 64.0f, 32.0f, 32.0f, 32.0f, 32.0f},
};
const SGpRect kFontPart(&ImgSheet, 1, 80.0f, 12.0f, 0.0f, 0.0f, 80.0f, 12.0f);
const SGpRectGrid kFont{&kFontPart, 8.0f, 12.0f, '0'};

// Binds the font texture and draws the laid-out glyphs.
struct TextPacket : SGpObj {
  void Execute() override {
    SGpMan::SetTexture(ImgSheet, 1);
    text.quads.Execute();
  }
  SGpText text;
};

class DrawkitPicture : public testsupport::GlSceneWorld {
 protected:
  void SetUp() override {
    // Blended, clipped at 4096.
    clipFar = 4096.0f;
    blend = true;
    GlSceneWorld::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    plat::Texture* t = nullptr;
    ASSERT_EQ(SGpMan::GetDevice()->CreateTextureFromImage(SpriteSheet(), &t), plat::kOk);
    image.textures.push_back(t);
    ASSERT_EQ(SGpMan::GetDevice()->CreateTextureFromImage(DigitFont(), &t), plat::kOk);
    image.textures.push_back(t);
    ImgSheet = &image;
  }
  void TearDown() override {
    ImgSheet = nullptr;
    GlSceneWorld::TearDown();
  }
  // Screen pixel (x, y) as a play position.
  static float Px(float x) { return x - 320.0f; }
  static float Py(float y) { return y - 240.0f; }

  TestImage image;
};

TEST_F(DrawkitPicture, SpritesRingTextAndStrips) {
  // Sprites: the four parts in a row, then rotated, scaled and tinted ones.
  SGpSpriteBatch batch;
  std::vector<SGpSpriteCell*> cells;
  for (int i = 0; i < 8; ++i) {
    SGpSpriteCell* c = batch.AddBack();
    ASSERT_NE(c, nullptr);
    c->part = &kParts[i % 4];
    c->ownPos[0] = Px(24.0f + 36.0f * float(i));
    c->ownPos[1] = Py(24.0f);
    cells.push_back(c);
  }
  cells[4]->scaleX = 0.5f;
  cells[5]->angle = 0.125f;
  cells[6]->colour[0] = 0.25f;
  cells[6]->colour[3] = 0.5f;
  cells[7]->angle = 0.5f;

  // A ring on a node under a moved root.
  SGpNode root, node;
  root.GetPosition()[0] = Px(40.0f);
  root.GetPosition()[1] = Py(80.0f);
  root.BuildLocal();
  node.GetPosition()[0] = 10.0f;
  node.GetRotation()[2] = 0.125f;
  node.BuildLocal();
  node.SetParent(&root);
  SGpObj_Prim ring(plat::kFvfPosColour);
  const float inner[4] = {1.0f, 1.0f, 0.0f, 1.0f}, outer[4] = {0.0f, 0.4f, 1.0f, 0.5f};
  ASSERT_EQ(BuildRing(&ring, 10.0f, 22.0f, 0.0f, 0.0f, inner, outer, 3), 0);
  node.AddPacket(&ring);

  // A text line.
  TextPacket text;
  ASSERT_EQ(text.text.Init(&kFont, 32), 0);
  text.text.origin[0] = Px(80.0f);
  text.text.origin[1] = Py(64.0f);
  text.text.spacing[0] = 2.0f;
  text.text.colour[2] = 0.3f;
  text.text.Printf("%d", 31415926);
  text.text.scale[0] = text.text.scale[1] = 2.0f;
  text.text.PrintfAppend("\n%02d", 7);

  // Two strips of one colour each: a zigzag band and a fan-like wedge.
  SGpObj_PrimFill strips(plat::kFvfPosColour);
  ASSERT_EQ(strips.AllocVertices(32), 0);
  strips.SetColour(0.9f, 0.2f, 0.6f, 1.0f);
  for (int i = 0; i < 10; ++i) {
    strips.SetPos(Px(200.0f + 12.0f * float(i)), Py(i % 2 ? 70.0f : 96.0f), 0.0f);
    strips.Next();
  }
  strips.EndStrip();
  strips.SetColour(0.2f, 0.9f, 0.3f, 1.0f);
  const float wedge[4][2] = {{200, 104}, {320, 104}, {200, 116}, {260, 116}};
  for (const auto& w : wedge) {
    strips.SetPos(Px(w[0]), Py(w[1]), 0.0f);
    strips.Next();
  }
  strips.EndStrip();

  for (SGpObj* o : std::initializer_list<SGpObj*>{&batch, &root, &text, &strips}) scene.entries.push_back({10, o});
  kernel.Step();
  kernel.Step();  // the second frame draws from the primitives' kept buffers

  plat::Image full;
  ASSERT_EQ(SGpMan::GetDevice()->ReadBackBuffer(&full), plat::kOk);
  plat::Image crop;
  crop.width = 320;
  crop.height = 128;
  crop.rgba.resize(size_t(crop.width) * crop.height * 4);
  for (size_t i = 0; i < crop.rgba.size(); ++i)
    crop.rgba[i] = i % 4 == 3 ? 255 : full.rgba[(i / 4 / crop.width * full.width + i / 4 % crop.width) * 4 + i % 4];
  EXPECT_TRUE(testsupport::MatchesGolden(crop, "drawkit_scene.png", 2, 16));

  // A few pixels worked out by hand.
  // The disc's and the diamond's centres, inside the frame, the empty screen.
  for (auto [x, y, want] : {std::tuple{24, 24, 0xFF8020u}, {96, 24, 0x3060FFu}, {60, 24, 0u}, {300, 300, 0u}})
    EXPECT_EQ(testsupport::PixelAt(full, x, y) & 0xFFFFFFu, want) << x << "," << y;
  for (SGpSpriteCell* c : cells) delete c;
}

}  // namespace
