#include "platform/gfx_device.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/NewFails.h"
#include "support/image_files.h"

using namespace plat;

namespace {

std::unique_ptr<GfxDevice> MakeNull() {
  auto d = CreateGfxDevice(nullptr, DeviceParams{});
  EXPECT_NE(d, nullptr);
  return d;
}

TEST(GfxDeviceNull, NullWindowGivesNullBackendWithPowerOnState) {
  auto d = MakeNull();
  ASSERT_TRUE(d->IsNull());
  EXPECT_EQ(d->GetRenderState(kRsZFunc), kCmpLessEqual);
  EXPECT_EQ(d->GetRenderState(kRsCullMode), kCullCcw);
  EXPECT_EQ(d->GetRenderState(kRsLighting), 1u);
  EXPECT_EQ(d->GetRenderState(kRsTextureFactor), 0xFFFFFFFFu);
  EXPECT_EQ(d->GetTextureStageState(0, kTssColourOp), kTopModulate);
  EXPECT_EQ(d->GetTextureStageState(1, kTssColourOp), kTopDisable);
  EXPECT_EQ(d->GetTextureStageState(0, kTssAlphaArg1), kTaTexture);
  EXPECT_EQ(d->GetTextureStageState(1, kTssTexCoordIndex), 1u);
  Viewport vp;
  ASSERT_EQ(d->GetViewport(&vp), kOk);
  EXPECT_EQ(vp, (Viewport{0, 0, 640, 480, 0.0f, 1.0f}));
}

TEST(GfxDeviceNull, StatesTransformsAndLightsReadBackAndSaveRestore) {
  auto d = MakeNull();
  Matrix m = Matrix::Identity();
  m.m[3][2] = 512.0f;
  EXPECT_EQ(d->SetTransform(kTsView, m), kOk);
  EXPECT_EQ(d->SetTransform(kTsTexture0 + 1, m), kOk);
  EXPECT_EQ(d->SetTransform(kTsTexture0 + 2, m), kErrInvalidCall);
  EXPECT_EQ(d->SetTransform(99, m), kErrInvalidCall);
  Matrix got{};
  ASSERT_EQ(d->GetTransform(kTsView, &got), kOk);
  EXPECT_EQ(got, m);
  d->SetRenderState(kRsFogStart, FloatBits(8.5f));
  EXPECT_EQ(BitsFloat(d->GetRenderState(kRsFogStart)), 8.5f);
  EXPECT_EQ(d->SetRenderState(kRenderStateCount, 1), kErrInvalidCall);
  EXPECT_EQ(d->SetTextureStageState(2, kTssColourOp, kTopAdd), kErrInvalidCall);

  const DeviceState saved = d->GetState();
  Light l{};
  l.type = kLightDirectional;
  l.direction = {0, 0, 1};
  l.diffuse = {1, 0.5f, 0.25f, 1};
  EXPECT_EQ(d->SetLight(2, l), kOk);
  EXPECT_EQ(d->LightEnable(2, true), kOk);
  EXPECT_EQ(d->SetLight(8, l), kErrInvalidCall);
  d->SetRenderState(kRsAlphaBlendEnable, 1);
  d->SetTextureStageState(1, kTssColourOp, kTopAdd);
  d->SetViewport(Viewport{160, 0, 320, 240, 0.0f, 1.0f});
  d->SetState(saved);
  Light back{};
  bool on = true;
  d->GetLight(2, &back);
  d->GetLightEnable(2, &on);
  EXPECT_FALSE(on);
  EXPECT_NE(back, l);
  EXPECT_EQ(d->GetRenderState(kRsAlphaBlendEnable), 0u);
  EXPECT_EQ(d->GetTextureStageState(1, kTssColourOp), kTopDisable);
  Viewport vp;
  d->GetViewport(&vp);
  EXPECT_EQ(vp.width, 640u);
}

TEST(GfxDeviceNull, ViewportOutsideTheBackBufferIsRefused) {
  auto d = MakeNull();
  EXPECT_EQ(d->SetViewport(Viewport{160, 0, 480, 480, 0, 1}), kOk);
  EXPECT_EQ(d->SetViewport(Viewport{161, 0, 480, 480, 0, 1}), kErrInvalidCall);
  EXPECT_EQ(d->SetViewport(Viewport{0, 0, 0, 480, 0, 1}), kErrInvalidCall);
  EXPECT_EQ(d->SetViewport(Viewport{0xFFFFFFF0u, 0, 0x20, 480, 0, 1}), kErrInvalidCall);
}

TEST(GfxDeviceNull, BuffersLockWithinBoundsAndKeepTheirBytes) {
  auto d = MakeNull();
  VertexBuffer* vb = nullptr;
  IndexBuffer* ib = nullptr;
  ASSERT_EQ(d->CreateVertexBuffer(4 * 24, kFvfPosColourTex, &vb), kOk);
  ASSERT_EQ(d->CreateIndexBuffer(6 * 2, &ib), kOk);
  void* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p), kOk);
  void* q = nullptr;
  EXPECT_EQ(vb->Lock(0, 0, &q), kErrInvalidCall);  // already locked
  std::memset(p, 0xAB, 96);
  EXPECT_EQ(vb->Unlock(), kOk);
  EXPECT_EQ(vb->Unlock(), kErrInvalidCall);
  EXPECT_EQ(vb->Data()[95], 0xAB);
  EXPECT_EQ(vb->Lock(90, 6, &p), kOk);
  EXPECT_EQ(vb->Unlock(), kOk);
  EXPECT_EQ(vb->Lock(90, 7, &p), kErrInvalidCall);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(vb->Lock(97, 0, &p), kErrInvalidCall);

  // Drawing needs a scene, both buffers and a format, and an index range
  // inside the index buffer.
  d->SetStreamSource(vb, 24);
  d->SetIndices(ib, 0);
  d->SetVertexShader(kFvfPosColourTex);
  EXPECT_EQ(d->DrawIndexedPrimitive(kPtTriangleList, 0, 4, 0, 2), kErrInvalidCall);
  d->BeginScene();
  EXPECT_EQ(d->DrawIndexedPrimitive(kPtTriangleList, 0, 4, 0, 2), kOk);
  EXPECT_EQ(d->DrawIndexedPrimitive(kPtTriangleList, 0, 4, 3, 2), kErrInvalidCall);
  EXPECT_EQ(d->SetVertexShader(0x777), kErrInvalidCall);
  d->EndScene();
  EXPECT_EQ(d->GetStats().triangles, 2u);

  // The device holds its own references: the buffers survive the caller's
  // release while bound.
  EXPECT_EQ(vb->Release(), 1u);
  EXPECT_EQ(ib->Release(), 1u);
  EXPECT_EQ(vb->Size(), 96u);
  d->SetStreamSource(nullptr, 0);
  d->SetIndices(nullptr, 0);
}

TEST(GfxDeviceNull, TexturesFromFilesAndPixelsAndBadDataRefused) {
  auto d = MakeNull();
  const Image img = testsupport::MakeImage(5, 3, [](int x, int y) { return 0x40000000u | uint32_t(x + y); });
  const auto png = testsupport::EncodePng(img);
  Texture* t = nullptr;
  ASSERT_EQ(d->CreateTextureFromMemory(png.data(), png.size(), &t), kOk);
  EXPECT_EQ(t->Width(), 5);
  EXPECT_EQ(t->Height(), 3);
  EXPECT_EQ(t->Pixels().rgba, img.rgba);
  d->SetTexture(0, t);
  EXPECT_EQ(t->Release(), 1u);  // the stage still holds it
  EXPECT_EQ(d->GetTexture(0), t);
  d->SetTexture(0, nullptr);

  Texture* bad = reinterpret_cast<Texture*>(1);
  EXPECT_EQ(d->CreateTextureFromMemory(png.data(), png.size() / 2, &bad), kErrInvalidCall);
  EXPECT_EQ(bad, nullptr);
  Image wrong = img;
  wrong.rgba.pop_back();
  EXPECT_EQ(d->CreateTextureFromImage(wrong, &bad), kErrInvalidCall);
}

// A texture may be given the most its picture may take: 5 x 3 pixels are 60
// bytes, refused at 59 before they are made. Memory running out for the
// texture itself is an error code, not an exception.
TEST(GfxDeviceNull, TexturesPastTheirBytesOrMemoryAreRefused) {
  auto d = MakeNull();
  const Image img = testsupport::MakeImage(5, 3, [](int, int) { return 0xFF808080u; });
  const auto png = testsupport::EncodePng(img);
  Texture* t = reinterpret_cast<Texture*>(1);
  EXPECT_EQ(d->CreateTextureFromMemory(png.data(), png.size(), &t, 59), kErrInvalidCall);
  EXPECT_EQ(t, nullptr);
  ASSERT_EQ(d->CreateTextureFromMemory(png.data(), png.size(), &t, 60), kOk);
  t->Release();

  t = reinterpret_cast<Texture*>(1);
  Image pixels = img;
  int r = kOk;
  int refused = 0;
  {
    testsupport::NewFails fail(1);  // the texture object's own memory
    r = d->CreateTextureFromImage(std::move(pixels), &t);
    refused = fail.Refused();
  }
  EXPECT_EQ(r, kErrOutOfMemory);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(t, nullptr);
}

TEST(GfxDeviceNull, FrameCycleAndBackBufferReadsClearColour) {
  auto d = MakeNull();
  EXPECT_EQ(d->EndScene(), kErrInvalidCall);
  EXPECT_EQ(d->Clear(kClearTarget | kClearZBuffer | kClearStencil, 0xFF102030u, 1.0f, 0), kOk);
  EXPECT_EQ(d->BeginScene(), kOk);
  EXPECT_EQ(d->BeginScene(), kErrInvalidCall);
  EXPECT_EQ(d->EndScene(), kOk);
  EXPECT_EQ(d->Present(), kOk);
  Image shot;
  ASSERT_EQ(d->ReadBackBuffer(&shot), kOk);
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(testsupport::PixelAt(shot, 639, 479), 0xFF102030u);
  DeviceParams hd;
  hd.backBufferWidth = 1280;
  hd.backBufferHeight = 720;
  EXPECT_EQ(d->Reset(hd), kOk);
  EXPECT_EQ(d->SetViewport(Viewport{160, 0, 960, 720, 0, 1}), kOk);
}

TEST(GfxDeviceNull, PackColourClampsAndRounds) {
  EXPECT_EQ(PackColour(1.2f, 0.5f, -0.1f, 1.0f), 0xFFFF8000u);
  EXPECT_EQ(PackColour(0.0f, 0.0f, 1.0f, 0.25f), 0x400000FFu);  // 0.25 x 255 + 0.5 = 64.25
}

}  // namespace
