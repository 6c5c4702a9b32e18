// Picture tests of the OpenGL device: small scenes drawn headless, read back
// and compared with values worked out by hand from the fixed-function rules
// the device reproduces (tolerance 2 in 255).
#include <gtest/gtest.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "platform/gfx_device.h"
#include "platform/gfx_draw_states.h"
#include "support/ImageCompare.h"
#include "support/gl_device.h"
#include "support/image_files.h"
#include "support/ExpectAll.h"

using namespace plat;
using testsupport::DrawIndexed;
using testsupport::PixelAt;

namespace {

constexpr int kSize = 64;

struct V42 { float x, y, z; uint32_t c; };
struct V142 { float x, y, z; uint32_t c; float u, v; };
struct V52 { float x, y, z, nx, ny, nz; uint32_t c; };

// Maps pixel coordinates straight to the screen: x, y in pixels (y down),
// z is the depth value.
Matrix PixelProjection() {
  Matrix p{};
  p.m[0][0] = 2.0f / kSize;
  p.m[1][1] = -2.0f / kSize;
  p.m[2][2] = 1.0f;
  p.m[3][0] = -1.0f;
  p.m[3][1] = 1.0f;
  p.m[3][3] = 1.0f;
  return p;
}

// Expects each channel of `got` within 2 of `want` (0xAARRGGBB, alpha not compared).
::testing::AssertionResult Near(uint32_t got, uint32_t want, int tol = 2) {
  for (int s : {0, 8, 16}) {
    const int g = int(got >> s & 0xFF), w = int(want >> s & 0xFF);
    if (std::abs(g - w) > tol) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "got %06X want %06X", got & 0xFFFFFF, want & 0xFFFFFF);
      return ::testing::AssertionFailure() << buf;
    }
  }
  return ::testing::AssertionSuccess();
}

// Expects exact colours at pixels {x, y, 0xAARRGGBB}.
struct Px {
  int x, y;
  uint32_t colour;
};
void ExpectPixels(const Image& img, std::initializer_list<Px> want) {
  for (const Px& p : want) EXPECT_EQ(PixelAt(img, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
}

// Expects colours within 2 of {x, y, 0xAARRGGBB} (alpha not compared).
void ExpectNear(const Image& img, std::initializer_list<Px> want) {
  for (const Px& p : want) EXPECT_TRUE(Near(PixelAt(img, p.x, p.y), p.colour)) << "at " << p.x << "," << p.y;
}

uint32_t Rgb(int r, int g, int b) {
  auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
  return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

class GlDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    gl_ = testsupport::MakeGlTestDevice(kSize, kSize);
    if (!gl_) OSTREL_SKIP_WITHOUT_GL("no OpenGL context");
    d = gl_->device.get();
    // The state the engine's primitives draw with: no lighting, no culling.
    d->SetRenderState(kRsLighting, 0);
    d->SetRenderState(kRsCullMode, kCullNone);
    d->SetTransform(kTsProjection, PixelProjection());
    d->Clear(kClearTarget | kClearZBuffer | kClearStencil, 0xFF000000u, 1.0f, 0);
    d->BeginScene();
  }
  void TearDown() override {
    if (!d) return;
    d->SetTexture(0, nullptr);
    for (Texture* t : bound_) t->Release();
    d->EndScene();
  }
  Image Shot() {
    Image img;
    EXPECT_EQ(d->ReadBackBuffer(&img), kOk);
    return img;
  }
  uint32_t At(int x, int y) { return PixelAt(Shot(), x, y); }

  // Stage 0 passes one argument through (the vertex colour or the texture).
  void Select(uint32_t arg) {
    d->SetTextureStageState(0, kTssColourOp, kTopSelectArg1);
    d->SetTextureStageState(0, kTssColourArg1, arg);
  }
  // Stage 1 adds the texture factor to what stage 0 made (the hit flash).
  void FactorAdd() {
    d->SetTextureStageState(1, kTssColourOp, kTopAdd);
    d->SetTextureStageState(1, kTssColourArg1, kTaCurrent);
    d->SetTextureStageState(1, kTssColourArg2, kTaTFactor);
  }
  // An untextured rectangle [x0, x1) x [y0, y1) in pixel edges, one colour.
  void Rect(float x0, float y0, float x1, float y1, uint32_t c, float z = 0.5f) {
    const V42 v[4] = {{x0, y0, z, c}, {x1, y0, z, c}, {x0, y1, z, c}, {x1, y1, z, c}};
    Select(kTaDiffuse);
    d->SetTextureStageState(0, kTssAlphaOp, kTopSelectArg1);
    d->SetTextureStageState(0, kTssAlphaArg1, kTaDiffuse);
    ASSERT_EQ(DrawIndexed(*d, kFvfPosColour, v, sizeof v, {0, 1, 2, 1, 2, 3}), kOk);
  }
  // A textured rectangle with texture coordinates u0..u1, v0..v1.
  void TexRect(float x0, float y0, float x1, float y1, uint32_t c, float u0 = 0, float v0 = 0,
               float u1 = 1, float v1 = 1, float z = 0.5f) {
    const V142 v[4] = {{x0, y0, z, c, u0, v0}, {x1, y0, z, c, u1, v0}, {x0, y1, z, c, u0, v1},
                       {x1, y1, z, c, u1, v1}};
    ASSERT_EQ(DrawIndexed(*d, kFvfPosColourTex, v, sizeof v, {0, 1, 2, 1, 2, 3}), kOk);
  }
  Texture* MakeTexture(const Image& img) {
    Texture* t = nullptr;
    EXPECT_EQ(d->CreateTextureFromImage(img, &t), kOk);
    return t;
  }
  // A texture set on stage 0 until the end of the test.
  Texture* Bind(const Image& img, bool linear = false) {
    Texture* t = MakeTexture(img);
    bound_.push_back(t);
    d->SetTexture(0, t);
    if (linear) {
      d->SetTextureStageState(0, kTssMinFilter, kTexfLinear);
      d->SetTextureStageState(0, kTssMagFilter, kTexfLinear);
    }
    return t;
  }
  void Stage0(uint32_t op, uint32_t a1, uint32_t a2) {
    d->SetTextureStageState(0, kTssColourOp, op);
    d->SetTextureStageState(0, kTssColourArg1, a1);
    d->SetTextureStageState(0, kTssColourArg2, a2);
  }
  void Blend(uint32_t src, uint32_t dst) {
    d->SetRenderState(kRsAlphaBlendEnable, 1);
    d->SetRenderState(kRsSrcBlend, src);
    d->SetRenderState(kRsDestBlend, dst);
  }
  void Fog(uint32_t colour, float start, float end) {
    d->SetRenderState(kRsFogEnable, 1);
    d->SetRenderState(kRsFogTableMode, kFogLinear);
    d->SetRenderState(kRsFogColour, colour);
    d->SetRenderState(kRsFogStart, FloatBits(start));
    d->SetRenderState(kRsFogEnd, FloatBits(end));
  }

  std::unique_ptr<testsupport::GlTestDevice> gl_;
  GfxDevice* d = nullptr;
  std::vector<Texture*> bound_;
};

TEST_F(GlDevice, PixelCentresLieAtIntegerCoordinatesAndRowsStartAtTheTop) {
  // Edges on pixel centres: the left and top edges are inside, the right and
  // bottom edges outside.
  Rect(10, 4, 20, 8, 0xFFFFFFFFu);
  ExpectPixels(Shot(), {{9, 5, 0xFF000000u}, {10, 5, 0xFFFFFFFFu}, {19, 5, 0xFFFFFFFFu}, {20, 5, 0xFF000000u},
                     {12, 3, 0xFF000000u}, {12, 4, 0xFFFFFFFFu}, {12, 7, 0xFFFFFFFFu}, {12, 8, 0xFF000000u}});
}

TEST_F(GlDevice, OneToOneSpriteShowsEveryTexelExactlyUnderLinearFiltering) {
  const Image tex = testsupport::MakeImage(4, 4, [](int x, int y) {
    return 0xFF000000u | uint32_t(x * 60 + 10) << 16 | uint32_t(y * 70 + 5) << 8 | uint32_t((x ^ y) * 50);
  });
  Bind(tex, true);
  Stage0(kTopModulate, kTaDiffuse, kTaTexture);
  // Sprite corners half a pixel before the first pixel centre.
  TexRect(20 - 0.5f, 30 - 0.5f, 24 - 0.5f, 34 - 0.5f, 0xFFFFFFFFu);
  const Image img = Shot();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_TRUE(Near(PixelAt(img, 20 + x, 30 + y), PixelAt(tex, x, y), 1)) << x << "," << y;
  EXPECT_EQ(PixelAt(img, 19, 30), 0xFF000000u);
  EXPECT_EQ(PixelAt(img, 24, 33), 0xFF000000u);
}

TEST_F(GlDevice, BlendModesMixWithTheTarget) {
  d->Clear(kClearTarget, Rgb(40, 80, 200), 1.0f, 0);
  Blend(kBlendSrcAlpha, kBlendInvSrcAlpha);
  Rect(0, 0, 32, 32, 0x80FF8000u);  // alpha 128
  d->SetRenderState(kRsDestBlend, kBlendOne);
  Rect(32, 0, 64, 32, 0x40FFFF10u);  // alpha 64: additive
  d->SetRenderState(kRsAlphaBlendEnable, 0);
  Rect(0, 32, 32, 64, 0x10123456u);  // blending off: written as it is
  const Image img = Shot();
  const float a = 128 / 255.0f, b = 64 / 255.0f;
  EXPECT_TRUE(Near(PixelAt(img, 5, 5), Rgb(int(255 * a + 40 * (1 - a) + 0.5f), int(128 * a + 80 * (1 - a) + 0.5f),
                                           int(200 * (1 - a) + 0.5f))));
  EXPECT_TRUE(Near(PixelAt(img, 40, 5), Rgb(int(255 * b + 40 + 0.5f), int(255 * b + 80 + 0.5f), int(16 * b + 200 + 0.5f))));
  ExpectNear(img, {{5, 40, Rgb(0x12, 0x34, 0x56)}, {40, 40, Rgb(40, 80, 200)}});
  // The target keeps no alpha of its own: it reads 255 whatever was drawn
  // or cleared, and a destination-alpha factor sees 1.
  EXPECT_EQ(PixelAt(img, 5, 40) >> 24, 0xFFu);
  EXPECT_EQ(PixelAt(img, 5, 5) >> 24, 0xFFu);
  d->Clear(kClearTarget, 0x00000000u, 1.0f, 0);
  Blend(kBlendZero, kBlendDestAlpha);
  Rect(0, 0, 8, 8, 0x00FFFFFFu);
  EXPECT_EQ(At(4, 4), 0xFF000000u);
  d->Clear(kClearTarget, 0x00808080u, 1.0f, 0);
  Rect(0, 0, 8, 8, 0x00FFFFFFu);
  EXPECT_EQ(At(4, 4), 0xFF808080u);
}

TEST_F(GlDevice, AlphaTestHonoursEveryComparisonAndTheReference) {
  d->SetRenderState(kRsAlphaTestEnable, 1);
  d->SetRenderState(kRsAlphaRef, 0x80);
  const uint32_t funcs[] = {kCmpNever, kCmpLess, kCmpEqual, kCmpLessEqual, kCmpGreater, kCmpNotEqual, kCmpGreaterEqual, kCmpAlways};
  const uint32_t alphas[] = {0x7F, 0x80, 0x81};
  for (int f = 0; f < 8; ++f) {
    d->SetRenderState(kRsAlphaFunc, funcs[f]);
    for (int a = 0; a < 3; ++a) Rect(f * 8.0f, a * 8.0f, f * 8.0f + 8, a * 8.0f + 8, alphas[a] << 24 | 0xFFFFFFu);
  }
  // Which of alpha below, equal to and above the reference pass, per function.
  const bool pass[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  const Image img = Shot();
  for (int f = 0; f < 8; ++f)
    for (int a = 0; a < 3; ++a)
      EXPECT_EQ(PixelAt(img, f * 8 + 4, a * 8 + 4) & 0xFFFFFF, pass[f][a] ? 0xFFFFFFu : 0u)
          << "func " << funcs[f] << " alpha " << alphas[a];
  // Disabled: everything passes.
  d->SetRenderState(kRsAlphaTestEnable, 0);
  Rect(0, 40, 8, 48, 0x00FFFFFFu);
  EXPECT_EQ(At(4, 44) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(GlDevice, DepthFunctionsAndDepthWrite) {
  d->SetRenderState(kRsZFunc, kCmpLessEqual);
  Rect(0, 0, 64, 16, 0xFF808080u, 0.5f);
  d->SetRenderState(kRsZFunc, kCmpLess);
  Rect(0, 0, 16, 16, 0xFFFF0000u, 0.5f);  // equal depth: fails LESS
  d->SetRenderState(kRsZFunc, kCmpLessEqual);
  Rect(16, 0, 32, 16, 0xFF00FF00u, 0.5f);  // equal: passes LESSEQUAL
  Rect(32, 0, 48, 16, 0xFF0000FFu, 0.6f);  // behind: fails
  d->SetRenderState(kRsZFunc, kCmpAlways);
  Rect(48, 0, 64, 16, 0xFFFFFF00u, 0.9f);  // behind but ALWAYS
  // Z write off: a near quad leaves the depth as it was, so a quad between
  // the two still passes afterwards.
  d->SetRenderState(kRsZFunc, kCmpLessEqual);
  d->SetRenderState(kRsZWriteEnable, 0);
  Rect(0, 32, 32, 48, 0xFFFF0000u, 0.2f);
  d->SetRenderState(kRsZWriteEnable, 1);
  Rect(0, 32, 16, 48, 0xFF00FF00u, 0.4f);
  Rect(16, 32, 32, 48, 0xFF0000FFu, 0.4f);
  Rect(16, 32, 32, 48, 0xFFFFFFFFu, 0.45f);  // behind the 0.4 just written
  ExpectPixels(Shot(), {{8, 8, 0xFF808080u}, {24, 8, 0xFF00FF00u}, {40, 8, 0xFF808080u}, {56, 8, 0xFFFFFF00u},
                     {8, 40, 0xFF00FF00u}, {24, 40, 0xFF0000FFu}});
}

TEST_F(GlDevice, DepthRunsFromZeroToWAndFollowsTheViewportDepthRange) {
  // Outside 0..w nothing is drawn; both ends are inside.
  Rect(0, 0, 8, 8, 0xFFFFFFFFu, -0.01f);
  Rect(8, 0, 16, 8, 0xFFFFFFFFu, 0.0f);
  Rect(16, 0, 24, 8, 0xFFFFFFFFu, 1.0f);
  d->SetRenderState(kRsZEnable, 0);
  Rect(24, 0, 32, 8, 0xFFFFFFFFu, 1.01f);
  d->SetRenderState(kRsZEnable, 1);
  // A viewport depth range of 0.5..1 stores z = 0 as 0.5.
  d->SetViewport(Viewport{0, 0, kSize, kSize, 0.5f, 1.0f});
  Rect(0, 16, 32, 24, 0xFF808080u, 0.0f);
  d->SetViewport(Viewport{0, 0, kSize, kSize, 0.0f, 1.0f});
  Rect(0, 16, 16, 24, 0xFF00FF00u, 0.45f);
  Rect(16, 16, 32, 24, 0xFF00FF00u, 0.55f);
  ExpectPixels(Shot(), {{4, 4, 0xFF000000u}, {12, 4, 0xFFFFFFFFu}, {20, 4, 0xFFFFFFFFu}, {28, 4, 0xFF000000u},
                     {8, 20, 0xFF00FF00u}, {24, 20, 0xFF808080u}});
}

TEST_F(GlDevice, CullCounterClockwiseAndWireframe) {
  // Left triangle runs clockwise on screen (y down), right one counter-clockwise.
  const V42 cw[3] = {{2, 2, 0.5f, 0xFFFFFFFFu}, {30, 2, 0.5f, 0xFFFFFFFFu}, {2, 30, 0.5f, 0xFFFFFFFFu}};
  const V42 ccw[3] = {{34, 2, 0.5f, 0xFFFFFFFFu}, {34, 30, 0.5f, 0xFFFFFFFFu}, {62, 2, 0.5f, 0xFFFFFFFFu}};
  Select(kTaDiffuse);
  d->SetRenderState(kRsCullMode, kCullCcw);
  DrawIndexed(*d, kFvfPosColour, cw, sizeof cw, {0, 1, 2});
  DrawIndexed(*d, kFvfPosColour, ccw, sizeof ccw, {0, 1, 2});
  Image img = Shot();
  EXPECT_EQ(PixelAt(img, 8, 8), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(img, 40, 8), 0xFF000000u);
  d->SetRenderState(kRsCullMode, kCullNone);
  DrawIndexed(*d, kFvfPosColour, ccw, sizeof ccw, {0, 1, 2});
  EXPECT_EQ(At(40, 8), 0xFFFFFFFFu);

  // Wireframe: the outline of a big rectangle, not its inside.
  d->SetRenderState(kRsFillMode, kFillWireframe);
  Rect(4.0f, 36.0f, 60.0f, 60.0f, 0xFF00FF00u);
  img = Shot();
  EXPECT_EQ(PixelAt(img, 32, 47), 0xFF000000u);
  int edge = 0;
  for (int y = 34; y <= 38; ++y) edge += PixelAt(img, 32, y) == 0xFF00FF00u;
  EXPECT_GE(edge, 1);
}

TEST_F(GlDevice, StageZeroOperationsAndArguments) {
  const Image tex = testsupport::MakeImage(1, 1, [](int, int) { return 0x80C06020u; });
  Bind(tex);
  d->SetRenderState(kRsTextureFactor, 0x40FF8040u);
  const uint32_t diffuse = 0xFF8080FFu;
  struct Case { uint32_t op, a1, a2; uint32_t want; };
  const Case cases[] = {
      {kTopModulate, kTaDiffuse, kTaTexture, Rgb(0xC0 * 0x80 / 255, 0x60 * 0x80 / 255, 0x20)},
      {kTopSelectArg1, kTaDiffuse, kTaTexture, Rgb(0x80, 0x80, 0xFF)},
      {kTopSelectArg2, kTaDiffuse, kTaTexture, Rgb(0xC0, 0x60, 0x20)},
      {kTopSelectArg1, kTaTFactor, kTaTexture, Rgb(0xFF, 0x80, 0x40)},
      {kTopAdd, kTaDiffuse, kTaTexture, Rgb(255, 0xE0, 255)},
      {kTopModulate, kTaTFactor, kTaTexture, Rgb(0xC0, 0x60 * 0x80 / 255, 0x20 * 0x40 / 255)},
      {kTopSelectArg1, kTaTexture | kTaComplement, kTaDiffuse, Rgb(0x3F, 0x9F, 0xDF)},
  };
  int i = 0;
  for (const Case& c : cases) {
    Stage0(c.op, c.a1, c.a2);
    TexRect(i * 8.0f, 0, i * 8.0f + 8, 8, diffuse);
    ++i;
  }
  const Image img = Shot();
  for (int k = 0; k < i; ++k) EXPECT_TRUE(Near(PixelAt(img, k * 8 + 4, 4), cases[k].want)) << "case " << k;
}

TEST_F(GlDevice, StageZeroAlphaFeedsBlendingAndDisabledAlphaIsTheVertexAlpha) {
  const Image tex = testsupport::MakeImage(1, 1, [](int, int) { return 0x80FFFFFFu; });  // alpha 128
  Bind(tex);
  Blend(kBlendSrcAlpha, kBlendInvSrcAlpha);
  Stage0(kTopModulate, kTaDiffuse, kTaTexture);
  d->SetTextureStageState(0, kTssAlphaArg2, kTaTexture);
  // Modulate: alpha = 0.5 (vertex) x 0.5 (texture).
  d->SetTextureStageState(0, kTssAlphaOp, kTopModulate);
  d->SetTextureStageState(0, kTssAlphaArg1, kTaDiffuse);
  TexRect(0, 0, 16, 16, 0x80FFFFFFu);
  // Constant alpha through the texture factor (the engine's blend modes 5 and 6).
  d->SetRenderState(kRsTextureFactor, 0x7F000000u);
  d->SetTextureStageState(0, kTssAlphaArg1, kTaTFactor);
  TexRect(16, 0, 32, 16, 0xFFFFFFFFu);
  // Alpha operation disabled: the vertex alpha alone.
  d->SetTextureStageState(0, kTssAlphaOp, kTopDisable);
  TexRect(32, 0, 48, 16, 0x40FFFFFFu);
  const Image img = Shot();
  auto grey = [](float a) { int v = int(255 * a + 0.5f); return Rgb(v, v, v); };
  ExpectNear(img, {{8, 8, grey((128 / 255.f) * (128 / 255.f))}, {24, 8, grey((127 / 255.f) * (128 / 255.f))},
                   {40, 8, grey(64 / 255.f)}});
}

TEST_F(GlDevice, StageOneAddsTheTextureFactorColour) {
  // The hit flash: stage 1 adds the texture factor to whatever stage 0 made.
  FactorAdd();
  d->SetRenderState(kRsTextureFactor, 0x00604020u);
  Rect(0, 0, 16, 16, 0xFF3070F0u);
  d->SetRenderState(kRsTextureFactor, 0);
  Rect(16, 0, 32, 16, 0xFF3070F0u);
  d->SetTextureStageState(1, kTssColourOp, kTopDisable);
  d->SetRenderState(kRsTextureFactor, 0x00604020u);
  Rect(32, 0, 48, 16, 0xFF3070F0u);
  ExpectNear(Shot(), {{8, 8, Rgb(0x90, 0xB0, 0xFF)}, {24, 8, Rgb(0x30, 0x70, 0xF0)}, {40, 8, Rgb(0x30, 0x70, 0xF0)}});
}

TEST_F(GlDevice, ValuesChangedUnderAnotherModeReachEveryModeLaterUsed) {
  // Two modes alternate (stage 1 adding the factor, and not); the factor and
  // the fog colour change while the other mode is in force.
  d->SetTextureStageState(1, kTssColourArg1, kTaCurrent);
  d->SetTextureStageState(1, kTssColourArg2, kTaTFactor);
  d->SetRenderState(kRsTextureFactor, 0x00101010u);
  d->SetTextureStageState(1, kTssColourOp, kTopAdd);
  Rect(0, 0, 8, 8, 0xFF404040u);
  d->SetTextureStageState(1, kTssColourOp, kTopDisable);
  Rect(8, 0, 16, 8, 0xFF404040u);
  d->SetRenderState(kRsTextureFactor, 0x00303030u);
  Matrix t = Matrix::Identity();
  t.m[3][0] = 0.0f;
  d->SetTransform(kTsWorld, t);
  d->SetTextureStageState(1, kTssColourOp, kTopAdd);
  Rect(16, 0, 24, 8, 0xFF404040u);
  ExpectNear(Shot(), {{4, 4, Rgb(0x50, 0x50, 0x50)}, {12, 4, Rgb(0x40, 0x40, 0x40)}, {20, 4, Rgb(0x70, 0x70, 0x70)}});
}

// A right-handed perspective like the engine's: eye at the origin looking
// down -z, 90 degrees of view, near 1, far 1000.
Matrix PerspectiveRh() {
  const float zn = 1.0f, zf = 1000.0f;
  Matrix p{};
  p.m[0][0] = 1.0f;
  p.m[1][1] = 1.0f;
  p.m[2][2] = zf / (zn - zf);
  p.m[2][3] = -1.0f;
  p.m[3][2] = zn * zf / (zn - zf);
  return p;
}

TEST_F(GlDevice, LinearTableFogOnEyeDepth) {
  d->SetTransform(kTsProjection, PerspectiveRh());
  Fog(0xFF2040FFu, 100.0f, 300.0f);
  // Quads facing the eye at depths 50, 150, 250, 350: fog factors 1, 0.75, 0.25, 0.
  const float depths[] = {50, 150, 250, 350};
  for (int i = 0; i < 4; ++i) {
    const float z = -depths[i], s = depths[i];
    // Each quad covers one quarter column of the screen (x from -1 to 1 at depth s).
    const float x0 = (-1.0f + i * 0.5f) * s, x1 = x0 + 0.5f * s;
    const V42 v[4] = {{x0, s, z, 0xFFFFFF00u}, {x1, s, z, 0xFFFFFF00u}, {x0, -s, z, 0xFFFFFF00u}, {x1, -s, z, 0xFFFFFF00u}};
    Select(kTaDiffuse);
    ASSERT_EQ(DrawIndexed(*d, kFvfPosColour, v, sizeof v, {0, 1, 2, 1, 2, 3}), kOk);
  }
  const Image img = Shot();
  const float f[] = {1.0f, 0.75f, 0.25f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    auto mix = [&](int c, int fog) { return int(f[i] * c + (1 - f[i]) * fog + 0.5f); };
    EXPECT_TRUE(Near(PixelAt(img, i * 16 + 8, 32), Rgb(mix(255, 0x20), mix(255, 0x40), mix(0, 0xFF)))) << "depth " << depths[i];
  }
}

TEST_F(GlDevice, DirectionalLightsWithAmbientAndVertexColourAsMaterial) {
  d->SetRenderState(kRsLighting, 1);
  d->SetRenderState(kRsColourVertex, 1);
  d->SetRenderState(kRsDiffuseMaterialSource, kMcsColour1);
  d->SetRenderState(kRsAmbientMaterialSource, kMcsColour1);
  d->SetRenderState(kRsAmbient, PackColour(0.1f, 0.1f, 0.1f, 0));
  Light l{};
  l.type = kLightDirectional;
  l.diffuse = {1.0f, 0.5f, 0.25f, 1};
  l.direction = {0, 0, 1};  // shining into the screen (away from the viewer)
  d->SetLight(0, l);
  d->LightEnable(0, true);
  Light l2 = l;
  l2.diffuse = {0.25f, 0.25f, 0.25f, 1};
  l2.direction = {0, 0, -1};  // from behind: contributes nothing to front faces
  d->SetLight(1, l2);
  d->LightEnable(1, true);
  Select(kTaDiffuse);
  const uint32_t c = 0xFFC0C0C0u;  // material 0.753
  // Normal towards the viewer (-z), and one tilted by 60 degrees (N.L = 0.5).
  const float s = std::sqrt(3.0f) / 2;
  const V52 v[8] = {{0, 0, 0.5f, 0, 0, -1, c},  {32, 0, 0.5f, 0, 0, -1, c},  {0, 32, 0.5f, 0, 0, -1, c},  {32, 32, 0.5f, 0, 0, -1, c},
                    {32, 0, 0.5f, s, 0, -0.5f, c}, {64, 0, 0.5f, s, 0, -0.5f, c}, {32, 32, 0.5f, s, 0, -0.5f, c}, {64, 32, 0.5f, s, 0, -0.5f, c}};
  ASSERT_EQ(DrawIndexed(*d, kFvfPosNormalColour, v, sizeof v, {0, 1, 2, 1, 2, 3, 4, 5, 6, 5, 6, 7}), kOk);
  const Image img = Shot();
  const float m = 0xC0 / 255.0f;
  auto lit = [&](float ndotl, float lc) { return int(std::min(1.0f, m * 0.1f + m * lc * ndotl) * 255 + 0.5f); };
  ExpectNear(img, {{16, 16, Rgb(lit(1, 1), lit(1, 0.5f), lit(1, 0.25f))},
                   {48, 16, Rgb(lit(0.5f, 1), lit(0.5f, 0.5f), lit(0.5f, 0.25f))}});
  // Lighting off: the vertex colour itself.
  d->SetRenderState(kRsLighting, 0);
  ASSERT_EQ(DrawIndexed(*d, kFvfPosNormalColour, v, sizeof v, {0, 1, 2, 1, 2, 3}), kOk);
  EXPECT_EQ(At(16, 16), c);
}

TEST_F(GlDevice, TextureMatrixScrollsTwoDimensionalCoordinates) {
  // Four texels across: red, green, blue, white.
  const uint32_t cols[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  const Image tex = testsupport::MakeImage(4, 1, [&](int x, int) { return cols[x]; });
  Bind(tex);
  Select(kTaTexture);
  Matrix m = Matrix::Identity();
  m.m[2][0] = 0.25f;  // third row: the translation of two-dimensional coordinates
  d->SetTransform(kTsTexture0, m);
  d->SetTextureStageState(0, kTssTextureTransformFlags, kTtffCount2);
  TexRect(-0.5f, -0.5f, 3.5f, 0.5f, 0xFFFFFFFFu);
  // Without the flag the matrix is ignored.
  d->SetTextureStageState(0, kTssTextureTransformFlags, kTtffDisable);
  TexRect(-0.5f, 1.5f, 3.5f, 2.5f, 0xFFFFFFFFu);
  const Image img = Shot();
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(PixelAt(img, x, 0), cols[(x + 1) % 4]) << x;  // wraps around
    EXPECT_EQ(PixelAt(img, x, 2), cols[x]) << x;
  }
}

// One frame mixing every path (lit and fogged perspective geometry, a
// textured sprite, both blend modes, alpha test, the factor add, wireframe),
// compared with its reference picture.
TEST_F(GlDevice, WholeFrameMatchesItsReference) {
  d->Clear(kClearTarget | kClearZBuffer, 0xFF203040u, 1.0f, 0);
  // Lit, fogged floor in perspective.
  d->SetTransform(kTsProjection, PerspectiveRh());
  Matrix view = Matrix::Identity();
  view.m[3][1] = -20.0f;
  d->SetTransform(kTsView, view);
  d->SetRenderState(kRsLighting, 1);
  d->SetRenderState(kRsAmbientMaterialSource, kMcsColour1);
  d->SetRenderState(kRsAmbient, PackColour(0.2f, 0.2f, 0.2f, 0));
  Light l{};
  l.type = kLightDirectional;
  l.diffuse = {1.0f, 0.9f, 0.6f, 1};
  l.direction = {0.3f, -1.0f, -0.2f};
  d->SetLight(0, l);
  d->LightEnable(0, true);
  Fog(0xFF203040u, 40.0f, 200.0f);
  Select(kTaDiffuse);
  const V52 floor[4] = {{-60, 0, -10, 0, 1, 0, 0xFF40C060u}, {60, 0, -10, 0, 1, 0, 0xFF4060C0u},
                        {-60, 0, -220, 0, 1, 0, 0xFFC06040u}, {60, 0, -220, 0, 1, 0, 0xFFC0C0C0u}};
  ASSERT_EQ(DrawIndexed(*d, kFvfPosNormalColour, floor, sizeof floor, {0, 1, 2, 1, 2, 3}), kOk);
  d->SetRenderState(kRsLighting, 0);
  d->SetRenderState(kRsFogEnable, 0);
  d->SetTransform(kTsView, Matrix::Identity());
  d->SetTransform(kTsProjection, PixelProjection());
  // Textured sprite with alpha test and blending.
  const Image tex = testsupport::MakeImage(8, 8, [](int x, int y) {
    const int dx = 2 * x - 7, dy = 2 * y - 7;
    return uint32_t(std::max(0, 255 - (dx * dx + dy * dy) * 4)) << 24 | uint32_t(x * 32) << 16 | uint32_t(y * 32) << 8 | 0xC0u;
  });
  Texture* t = MakeTexture(tex);
  d->SetTexture(0, t);
  d->SetTextureStageState(0, kTssMinFilter, kTexfLinear);
  d->SetTextureStageState(0, kTssMagFilter, kTexfLinear);
  Stage0(kTopModulate, kTaDiffuse, kTaTexture);
  d->SetTextureStageState(0, kTssAlphaOp, kTopModulate);
  d->SetTextureStageState(0, kTssAlphaArg1, kTaDiffuse);
  d->SetTextureStageState(0, kTssAlphaArg2, kTaTexture);
  Blend(kBlendSrcAlpha, kBlendInvSrcAlpha);
  d->SetRenderState(kRsAlphaTestEnable, 1);
  d->SetRenderState(kRsAlphaFunc, kCmpGreater);
  d->SetRenderState(kRsAlphaRef, 0x20);
  TexRect(3.5f, 3.5f, 27.5f, 27.5f, 0xFFFFFFFFu, 0, 0, 1, 1, 0.1f);
  d->SetRenderState(kRsAlphaTestEnable, 0);
  d->SetRenderState(kRsDestBlend, kBlendOne);
  TexRect(20.5f, 10.5f, 44.5f, 34.5f, 0xC0FF8040u, 0, 0, 2, 2, 0.1f);
  d->SetTexture(0, nullptr);
  t->Release();
  // Hit flash on a plain quad, then a wireframe outline.
  d->SetRenderState(kRsAlphaBlendEnable, 0);
  FactorAdd();
  d->SetRenderState(kRsTextureFactor, 0x00A03020u);
  Rect(46, 4, 60, 18, 0xFF304050u, 0.05f);
  d->SetTextureStageState(1, kTssColourOp, kTopDisable);
  d->SetRenderState(kRsFillMode, kFillWireframe);
  Rect(44, 22, 62, 40, 0xFFFFFF00u, 0.05f);
  d->SetRenderState(kRsFillMode, kFillSolid);
  EXPECT_TRUE(testsupport::MatchesGolden(Shot(), "gfx_device_scene.png", 2, 8));
}

TEST_F(GlDevice, ViewportPlacesTheProjectionAndLimitsClear) {
  d->EndScene();
  d->SetViewport(Viewport{16, 8, 32, 32, 0.0f, 1.0f});
  d->Clear(kClearTarget, 0xFF0000FFu, 1.0f, 0);
  d->BeginScene();
  // A quad over the whole projected square lands on the viewport only.
  Matrix p = Matrix::Identity();
  d->SetTransform(kTsProjection, p);
  Rect(-1, -1, 1, 1, 0xFFFFFFFFu);
  ExpectPixels(Shot(), {{15, 20, 0xFF000000u}, {16, 8, 0xFFFFFFFFu}, {47, 39, 0xFFFFFFFFu},
                     {48, 39, 0xFF000000u}, {20, 40, 0xFF000000u}});
}

TEST_F(GlDevice, PretransformedVerticesArePixels) {
  struct V144 { float x, y, z, rhw; uint32_t c; float u, v; };
  const V144 v[4] = {{4.5f, 4.5f, 0, 1, 0xFF00FF00u, 0, 0}, {8.5f, 4.5f, 0, 1, 0xFF00FF00u, 1, 0},
                     {4.5f, 8.5f, 0, 1, 0xFF00FF00u, 0, 1}, {8.5f, 8.5f, 0, 1, 0xFF00FF00u, 1, 1}};
  d->SetVertexShader(kFvfScreenColourTex);
  Select(kTaDiffuse);
  ASSERT_EQ(d->DrawPrimitiveUp(kPtTriangleStrip, 2, v, sizeof(V144)), kOk);
  ExpectPixels(Shot(), {{4, 4, 0xFF000000u}, {5, 5, 0xFF00FF00u}, {8, 8, 0xFF00FF00u}, {9, 8, 0xFF000000u}});
}

TEST_F(GlDevice, CreatingAndFreeingTexturesNeverLeavesAStaleBinding) {
  Select(kTaTexture);
  Texture* a = MakeTexture(testsupport::MakeImage(1, 1, [](int, int) { return 0xFFFF0000u; }));
  d->SetTexture(0, a);
  TexRect(0, 0, 8, 8, 0xFFFFFFFFu);
  d->SetTexture(0, nullptr);
  a->Release();
  Texture* b = MakeTexture(testsupport::MakeImage(1, 1, [](int, int) { return 0xFF00FF00u; }));
  d->SetTexture(0, b);
  TexRect(8, 0, 16, 8, 0xFFFFFFFFu);
  // Creating a texture while another one is set leaves the set one drawn.
  Texture* c = MakeTexture(testsupport::MakeImage(1, 1, [](int, int) { return 0xFF0000FFu; }));
  TexRect(16, 0, 24, 8, 0xFFFFFFFFu);
  ExpectPixels(Shot(), {{4, 4, 0xFFFF0000u}, {12, 4, 0xFF00FF00u}, {20, 4, 0xFF00FF00u}});
  bound_ = {b, c};
}

TEST_F(GlDevice, IndicesOutsideTheVertexBufferAreRefused) {
  const V42 v[3] = {{0, 0, 0.5f, 0xFFFFFFFFu}, {8, 0, 0.5f, 0xFFFFFFFFu}, {0, 8, 0.5f, 0xFFFFFFFFu}};
  EXPECT_ALL({VAL(DrawIndexed(*d, kFvfPosColour, v, sizeof v, {0, 1, 3}), kErrInvalidCall),
              VAL(d->GetStats().draws, 0u), VAL(DrawIndexed(*d, kFvfPosColour, v, sizeof v, {0, 1, 2}), kOk)});
}

// A vertex buffer takes its GL storage at its first upload or draw: a first
// lock of part of it, later partial locks and a buffer never locked all draw
// what the buffer holds.
TEST_F(GlDevice, VertexBuffersDrawWhatTheyHoldHoweverTheyWereFilled) {
  const uint32_t w = 0xFFFFFFFFu;
  // Two triangles, each covering the top-left half of an 8 x 8 cell.
  const V42 tris[6] = {{0, 0, 0.5f, w}, {8, 0, 0.5f, w}, {0, 8, 0.5f, w},
                       {16, 0, 0.5f, w}, {24, 0, 0.5f, w}, {16, 8, 0.5f, w}};
  VertexBuffer* vb = nullptr;
  IndexBuffer* ib = nullptr;
  ASSERT_EQ(d->CreateVertexBuffer(sizeof tris, kFvfPosColour, &vb), kOk);
  ASSERT_EQ(d->CreateIndexBuffer(6 * 2, &ib), kOk);
  void* p = nullptr;
  ASSERT_EQ(ib->Lock(0, 0, &p), kOk);
  const uint16_t idx[6] = {0, 1, 2, 3, 4, 5};
  std::memcpy(p, idx, sizeof idx);
  ib->Unlock();
  Select(kTaDiffuse);
  d->SetStreamSource(vb, sizeof(V42));
  d->SetIndices(ib, 0);
  d->SetVertexShader(kFvfPosColour);
  // Never locked: six vertices at the origin draw nothing, and the draw works.
  EXPECT_EQ(d->DrawIndexedPrimitive(kPtTriangleList, 0, 6, 0, 2), kOk);
  EXPECT_EQ(At(2, 2), 0xFF000000u);
  d->SetStreamSource(nullptr, 0);
  VertexBuffer* vb2 = nullptr;
  ASSERT_EQ(d->CreateVertexBuffer(sizeof tris, kFvfPosColour, &vb2), kOk);
  // First upload: the second triangle only.
  ASSERT_EQ(vb2->Lock(3 * sizeof(V42), 3 * sizeof(V42), &p), kOk);
  std::memcpy(p, tris + 3, 3 * sizeof(V42));
  vb2->Unlock();
  d->SetStreamSource(vb2, sizeof(V42));
  EXPECT_EQ(d->DrawIndexedPrimitive(kPtTriangleList, 0, 6, 0, 2), kOk);
  EXPECT_EQ(At(2, 2), 0xFF000000u);
  EXPECT_EQ(At(18, 2), w);
  // A later partial upload: the first triangle, drawn in a second draw.
  ASSERT_EQ(vb2->Lock(0, 3 * sizeof(V42), &p), kOk);
  std::memcpy(p, tris, 3 * sizeof(V42));
  vb2->Unlock();
  EXPECT_EQ(d->DrawIndexedPrimitive(kPtTriangleList, 0, 6, 0, 2), kOk);
  d->SetStreamSource(nullptr, 0);
  d->SetIndices(nullptr, 0);
  ExpectPixels(Shot(), {{2, 2, w}, {18, 2, w}, {12, 2, 0xFF000000u}, {7, 7, 0xFF000000u}});
  vb->Release();
  vb2->Release();
  ib->Release();
}

// Each combination of draw state is recorded once, in the order first met;
// a warm-up from a draw-state file draws nothing, counts its states as met
// and leaves the device drawing as before, even though GL was left holding
// a state that would hide everything (depth test never passing).
TEST_F(GlDevice, DrawStatesAreMetOnceAndAWarmUpDrawsNothingAndKeepsTheStates) {
  EXPECT_EQ(d->DrawStatesMet(), 0u);
  Rect(0, 0, 8, 8, 0xFF808080u);
  Rect(8, 0, 16, 8, 0xFF808080u);
  EXPECT_EQ(d->DrawStatesMet(), 1u);
  const Image before = Shot();

  plat::DrawStateKey points;  // screen vertices, textured, drawn as points
  points.fvf = kFvfScreenColourTex;
  points.modes[0] = 1;
  points.modes[7] = 1;
  points.modes[9] = kTopSelectArg1;
  points.modes[10] = kTaTexture;
  points.modes[15] = kTopDisable;
  points.fill = GL_POINT;
  points.sampler[0] = {GL_NEAREST, GL_NEAREST, GL_REPEAT, GL_REPEAT, 0, 1};
  plat::DrawStateKey hide;  // what GL holds last: nothing would pass
  hide.fvf = kFvfPosColour;
  hide.modes[9] = kTopSelectArg1;
  hide.modes[10] = kTaDiffuse;
  hide.modes[15] = kTopDisable;
  hide.depthTest = 1;
  hide.depthFunc = GL_NEVER;
  hide.blend = 1;
  hide.blendSrc = GL_ZERO;
  hide.blendDst = GL_ONE;
  hide.cullFace = GL_BACK;
  hide.fill = GL_FILL;
  const std::vector<uint8_t> file = plat::WriteDrawStates({points, hide});
  EXPECT_EQ(d->WarmUpDrawStates(file.data(), file.size()), 2);
  EXPECT_EQ(d->WarmUpDrawStates(file.data(), file.size()), 0);  // met already
  std::vector<uint8_t> bad = file;
  bad[20] ^= 1;
  EXPECT_EQ(d->WarmUpDrawStates(bad.data(), bad.size()), kErrInvalidCall);
  EXPECT_EQ(d->DrawStatesMet(), 3u);
  EXPECT_TRUE(Shot().rgba == before.rgba) << "the warm-up drew";

  Rect(16, 0, 24, 8, 0xFFFFFFFFu);  // the first state once more
  Blend(kBlendOne, kBlendOne);
  Rect(0, 0, 8, 8, 0xFF404040u);
  d->SetRenderState(kRsAlphaBlendEnable, 0);
  Bind(testsupport::MakeImage(4, 3, [](int, int) { return 0xFF0000FFu; }), true);
  Select(kTaTexture);
  TexRect(24, 0, 32, 8, 0xFFFFFFFFu);
  ExpectPixels(Shot(), {{20, 4, 0xFFFFFFFFu}, {4, 4, 0xFFC0C0C0u}, {12, 4, 0xFF808080u}, {28, 4, 0xFF0000FFu}});

  std::vector<plat::DrawStateKey> met;
  const std::vector<uint8_t> saved = d->DrawStateFile();
  ASSERT_TRUE(plat::ReadDrawStates(saved.data(), saved.size(), &met));
  ASSERT_EQ(met.size(), 5u);
  EXPECT_ALL({VAL(met[0].fvf, kFvfPosColour), VAL(met[0].blend, 0), VAL(met[0].fill, GL_FILL),
              VAL(met[0].modes[7], 0), VAL(met[1] == points, 1), VAL(met[2] == hide, 1),
              VAL(met[3].blend, 1), VAL(met[3].blendSrc, GL_ONE), VAL(met[3].blendDst, GL_ONE),
              VAL(met[4].fvf, kFvfPosColourTex), VAL(met[4].modes[7], 1), VAL(met[4].sampler[0][0], GL_LINEAR),
              VAL(met[4].sampler[0][1], GL_LINEAR), VAL(met[4].sampler[0][4], 1), VAL(met[4].sampler[0][5], 0)});
}

TEST_F(GlDevice, ResourcesOutliveTheirDeviceAndResetKeepsThem) {
  Texture* t = MakeTexture(testsupport::MakeImage(3, 3, [](int, int) { return 0xFFFFFFFFu; }));
  VertexBuffer* vb = nullptr;
  ASSERT_EQ(d->CreateVertexBuffer(64, kFvfPosColour, &vb), kOk);
  d->EndScene();
  DeviceParams p = d->Params();
  p.backBufferWidth = 32;
  ASSERT_EQ(d->Reset(p), kOk);
  Image img;
  ASSERT_EQ(d->ReadBackBuffer(&img), kOk);
  EXPECT_EQ(img.width, 32);
  EXPECT_EQ(d->Present(), kOk);
  gl_->device.reset();
  d = nullptr;
  void* mem = nullptr;
  EXPECT_ALL({VAL(vb->Lock(0, 0, &mem), kOk), VAL(vb->Unlock(), kOk), VAL(t->Width(), 3)});
  vb->Release();
  t->Release();
}

}  // namespace

// ---------------------------------------------------------------- present
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace {

// Reads the window's framebuffer just before each swap.
class CapturingSurface final : public plat::GlSurface {
 public:
  explicit CapturingSurface(plat::Window* w) : window_(w) {}
  void Swap() override {
    int w = 0, h = 0;
    window_->GetDrawableSize(&w, &h);
    shown.width = w;
    shown.height = h;
    shown.rgba.assign(size_t(w) * h * 4, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, shown.rgba.data());
    window_->Swap();
  }
  void DrawableSize(int* w, int* h) override { window_->GetDrawableSize(w, h); }
  plat::Image shown;  // rows from the bottom, as GL stores them

 private:
  plat::Window* window_;
};

TEST(GlDevicePresent, WiderBackBufferIsShownUprightBetweenBlackBars) {
  plat::Window window;
  plat::WindowDesc desc;
  desc.width = 64;
  desc.height = 64;
  desc.hidden = true;
  if (!window.Create(desc)) OSTREL_SKIP_WITHOUT_GL("no OpenGL context");
  CapturingSurface surface(&window);
  plat::DeviceParams p;
  p.backBufferWidth = 64;
  p.backBufferHeight = 32;
  auto d = plat::CreateGlGfxDevice(&surface, p);
  ASSERT_NE(d, nullptr);
  d->Clear(kClearTarget, 0xFFFF0000u, 1.0f, 0);
  // A green top row and a blue left column mark the orientation.
  d->SetViewport(Viewport{0, 0, 64, 1, 0, 1});
  d->Clear(kClearTarget, 0xFF00FF00u, 1.0f, 0);
  d->SetViewport(Viewport{0, 1, 1, 31, 0, 1});
  d->Clear(kClearTarget, 0xFF0000FFu, 1.0f, 0);
  ASSERT_EQ(d->Present(), kOk);
  int w = 0, h = 0;
  window.GetDrawableSize(&w, &h);
  ASSERT_EQ(w, 64);
  ASSERT_EQ(h, 64);
  // {x, y from the top}: the bar above, the picture's top row, its left column, inside, its bottom
  // row and the bar below.
  const Px want[] = {{32, 8, 0xFF000000u},  {32, 16, 0xFF00FF00u}, {0, 30, 0xFF0000FFu},
                     {32, 30, 0xFFFF0000u}, {32, 47, 0xFFFF0000u}, {32, 48, 0xFF000000u}};
  for (const Px& p : want) EXPECT_EQ(PixelAt(surface.shown, p.x, h - 1 - p.y), p.colour) << p.x << "," << p.y;
  EXPECT_EQ(d->GetStats().presents, 1u);
}

}  // namespace
