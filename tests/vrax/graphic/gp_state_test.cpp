#include <gtest/gtest.h>

#include <cmath>

#include "gp_support.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpPacket.h"
#include "vrax/graphic/SGpState.h"
#include "support/ExpectAll.h"

namespace {

using plat::BitsFloat;
using namespace plat;

// Expects render states {state, value} on the device.
void ExpectRs(const NullDeviceScope& s, std::initializer_list<std::pair<uint32_t, uint32_t>> want) {
  for (auto [state, value] : want) EXPECT_EQ(s.rs(state), value) << "render state " << state;
}

TEST(GpPacket, AlignmentExhaustionAndReset) {
  NullDeviceScope s;
  SGpPacket pk;
  ASSERT_EQ(pk.Create(SGpMan::kPacketBytes, 16), 0);
  auto* a = static_cast<uint8_t*>(pk.Alloc(1));
  ASSERT_NE(a, nullptr);
  EXPECT_ALL({VAL(reinterpret_cast<uintptr_t>(a) % 16, 0u), VAL(pk.Used(), 16u)});
  EXPECT_EQ(static_cast<uint8_t*>(pk.Alloc(17)), a + 16);
  EXPECT_EQ(pk.Used(), 48u);
  // Fill up to 32 bytes short of the end.
  ASSERT_NE(pk.Alloc(static_cast<int>(pk.Capacity() - pk.Used() - 32)), nullptr);
  EXPECT_EQ(pk.Alloc(33), nullptr);  // would pass the end
  ASSERT_EQ(s.errors.size(), 1u);
  EXPECT_NE(s.errors[0].find("SGpPacket(71) : packet allocation error"), std::string::npos);
  EXPECT_NE(pk.Alloc(32), nullptr);  // what still fits keeps working
  EXPECT_SAME({SAME(pk.Alloc(1), nullptr), SAME(pk.Alloc(-5), nullptr)});
  EXPECT_EQ(s.errors.size(), 3u);
  pk.Reset();
  EXPECT_EQ(pk.Alloc(16), a);
  EXPECT_EQ(GetGpPacket(), &pk);
}

TEST(GpRenderState, ZBlendAlphaCull) {
  NullDeviceScope s;
  ASSERT_TRUE(s.ok);
  SGpMan::SetZMode(5);  // LESSEQUAL without write
  ExpectRs(s, {{kRsZFunc, kCmpLessEqual}, {kRsZWriteEnable, 0}});
  SGpMan::SetZMode(2);
  ExpectRs(s, {{kRsZFunc, kCmpLess}, {kRsZWriteEnable, 1}});
  SGpMan::SetZMode(3);
  ExpectRs(s, {{kRsZFunc, kCmpAlways}});

  SGpMan::SetBlendMode(2, 0.0f);
  ExpectRs(s, {{kRsAlphaBlendEnable, 1}, {kRsSrcBlend, kBlendSrcAlpha}, {kRsDestBlend, kBlendOne}});
  SGpMan::SetBlendMode(3, 0.0f);  // on, factors kept
  ExpectRs(s, {{kRsAlphaBlendEnable, 1}, {kRsDestBlend, kBlendOne}});
  SGpMan::SetBlendMode(4, 0.0f);  // 4 & 3 == 0: off
  ExpectRs(s, {{kRsAlphaBlendEnable, 0}});
  EXPECT_EQ(s.tss(0, kTssAlphaArg1), kTaDiffuse);
  SGpMan::SetBlendMode(5, 0.5f);  // factor 127, colour bytes 0
  ExpectRs(s, {{kRsTextureFactor, 0x7F000000u}, {kRsDestBlend, kBlendInvSrcAlpha}});
  EXPECT_EQ(s.tss(0, kTssAlphaArg1), kTaTFactor);
  SGpMan::SetBlendMode(6, 3.0f);  // a constant alpha above 1 clamps
  ExpectRs(s, {{kRsTextureFactor, 0xFF000000u}, {kRsDestBlend, kBlendOne}});
  EXPECT_EQ(SGpMan::GetBlendMode(), 6);

  SGpMan::SetAlphaTest(6, 0.31372f);
  ExpectRs(s, {{kRsAlphaFunc, kCmpGreater}, {kRsAlphaTestEnable, 1}, {kRsAlphaRef, 79}});
  SGpMan::SetAlphaTest(0, 0.5f);
  ExpectRs(s, {{kRsAlphaTestEnable, 0}});
  SGpMan::SetAlphaTest(7, 0.5f);
  ExpectRs(s, {{kRsAlphaTestEnable, 0}});

  SGpMan::SetCull(1);
  ExpectRs(s, {{kRsCullMode, kCullCcw}});
  SGpMan::SetCull(9);
  ExpectRs(s, {{kRsFillMode, kFillWireframe}, {kRsCullMode, kCullCcw}});
  SGpMan::SetCull(4);  // changes nothing
  ExpectRs(s, {{kRsFillMode, kFillWireframe}});
  SGpMan::SetCull(0);
  ExpectRs(s, {{kRsCullMode, kCullNone}, {kRsFillMode, kFillSolid}});
}

TEST(GpRenderState, ColoursPackAndClamp) {
  // Out-of-range channels clamp rather than wrap; NaN counts as 0.
  EXPECT_ALL({VAL(SGpMan::PackColour(1.0f, 0.5f, 0.0f, 1.0f), 0xFFFF8000u),
              VAL(SGpMan::PackColour(1.5f, 2.0f, -0.5f, 7.0f), 0xFFFFFF00u),
              VAL(SGpMan::PackColour(NAN, 0.1f, 0.0f, 0.0f), 0x00001A00u)});
  NullDeviceScope s;
  SGpMan::SetAmbient({0.1f, 0.1f, 0.1f, 1.0f});
  EXPECT_EQ(s.rs(kRsAmbient), 0x001A1A1Au);  // alpha byte 0
  SGpMan::SetTextureFactor({1.2f, 0.0f, 0.5f, 1.0f});
  EXPECT_EQ(s.rs(kRsTextureFactor), 0x00FF0080u);
  SGpMan::SetFogColour({0.05f, 0.0f, 0.25f, 0.0f});
  EXPECT_EQ(s.rs(kRsFogColour), 0xFF0D0040u);  // alpha byte FF
  SGpMan::SetFogRange(0.0f, 7000.0f);
  EXPECT_EQ(BitsFloat(s.rs(kRsFogEnd)), 7000.0f);
}

TEST(GpRenderState, ProjectionClipAndTransformCache) {
  NullDeviceScope s;
  SGpMan::SetClip(0.5f, 1000.0f);
  EXPECT_EQ(SGpMan::GetClipNear(), 1.0f);
  SGpMan::SetClip(NAN, 1000.0f);
  EXPECT_EQ(SGpMan::GetClipNear(), 1.0f);
  SGpMan::SetClip(8.0f, 4096.0f);
  SGpMan::SetProjection(640.0f, 480.0f, 512.0f);
  // A point at depth 512 in front of the eye and 240 above the axis lies on
  // the top edge: clip y / w == 1.
  const SMatrix& p = SGpMan::GetProjection();
  float y = 240.0f * p.m[1][1];
  float w = -(-512.0f) * 1.0f;  // right-handed: w = -z, eye looks down -z
  EXPECT_NEAR(y / w, 1.0f, 1e-5f);
  EXPECT_NEAR(320.0f * p.m[0][0] / w, 1.0f, 1e-5f);
  plat::Matrix dp;
  s.dev()->GetTransform(kTsProjection, &dp);
  EXPECT_EQ(dp.m[1][1], p.m[1][1]);
  // A 320x240 screen at the same distance: x scaled by 640 / 320 and y by
  // 480 / 240 (1.6 and 2.1333 become 3.2 and 4.2667).
  SGpMan::SetProjection(320.0f, 240.0f, 512.0f);
  EXPECT_NEAR(SGpMan::GetProjection().m[0][0], 3.2f, 1e-5f);
  EXPECT_NEAR(SGpMan::GetProjection().m[1][1], 4.266667f, 1e-5f);
  EXPECT_EQ(SGpMan::GetViewParams()[0], 320.0f);
  EXPECT_EQ(SGpMan::GetViewParams()[1], 240.0f);
  SGpMan::SetProjection(640.0f, 480.0f, 0.0f);  // orthographic
  EXPECT_NEAR(SGpMan::GetProjection().m[0][0], 2.0f / 640.0f, 1e-7f);
  EXPECT_EQ(SGpMan::GetProjection().m[2][3], 0.0f);

  SMatrix view;
  SMatrix::Translation(&view, 0.0f, 0.0f, 512.0f);
  SGpMan::SetView(view);
  SMatrix world;
  SMatrix::Translation(&world, 10.0f, 0.0f, 0.0f);
  SGpMan::SetWorld(world);
  int before = SGpMan::InverseCount();
  const SMatrix& wvi = SGpMan::GetWorldViewInverse();
  EXPECT_FLOAT_EQ(wvi.m[3][0], -10.0f);
  EXPECT_FLOAT_EQ(wvi.m[3][2], -512.0f);
  SGpMan::GetWorldViewInverse();
  EXPECT_EQ(SGpMan::InverseCount(), before + 1);  // computed once
  // Placing an object in view space: world = M x view inverse.
  SMatrix m;
  SMatrix::Translation(&m, 1.0f, 2.0f, 3.0f);
  SGpMan::SetWorldView(m);
  EXPECT_FLOAT_EQ(SGpMan::GetWorld().m[3][2], 3.0f - 512.0f);
  plat::Matrix dw;
  s.dev()->GetTransform(kTsWorld, &dw);
  EXPECT_FLOAT_EQ(dw.m[3][2], 3.0f - 512.0f);
  SGpMan::MultiplyWorld(m);
  EXPECT_FLOAT_EQ(SGpMan::GetWorld().m[3][0], 2.0f);
  EXPECT_FLOAT_EQ(SGpMan::GetWorldView().m[3][2], 6.0f);
}

TEST(GpStateBlock, DefaultValuesThroughTheBlock) {
  NullDeviceScope s;
  SGpState_Block block;
  SGpState_ZMode z(1);
  block.SetPacket9(&z);
  SGpMan::SetBlendMode(1, 0.0f);
  block.Execute();  // only the Z mode changes
  ExpectRs(s, {{kRsZFunc, kCmpLessEqual}, {kRsAlphaBlendEnable, 1}});
  EXPECT_SAME({SAME(block.GetPacket(9), &z), SAME(block.GetPacket(13), nullptr)});
}

TEST(GpStateBlock, LightPacketsNormaliseAndApply) {
  NullDeviceScope s;
  SGpState_Light l;
  l.SetEnable(5);
  l.SetDirection(1, 0.0f, 0.0f, 2.0f);
  l.SetColour(2, 0.5f, 0.25f, 1.0f);
  l.Execute();
  EXPECT_TRUE(s.lightOn(0));
  EXPECT_FALSE(s.lightOn(1));
  EXPECT_TRUE(s.lightOn(2));
  EXPECT_EQ(s.light(1).direction, (plat::Vec3{0.0f, 0.0f, 1.0f}));
  EXPECT_EQ(s.light(2).diffuse.g, 0.25f);
  EXPECT_EQ(s.light(2).diffuse.a, 1.0f);  // alpha kept from creation
}

TEST(GpStateBlock, FogPacketAppliesOnlyWhatWasSet) {
  NullDeviceScope s;
  SGpMan::SetFogColour({0.0f, 1.0f, 0.0f, 1.0f});
  SGpMan::SetFogRange(3.0f, 4.0f);
  SGpState_Fog fog;
  fog.SetEnable(1);
  fog.Execute();
  ExpectRs(s, {{kRsFogEnable, 1}, {kRsFogColour, 0xFF00FF00u}});
  EXPECT_EQ(BitsFloat(s.rs(kRsFogStart)), 3.0f);
}

TEST(GpStateBlock, Presets) {
  NullDeviceScope s;
  SGpMan::SetAlphaTest(1, 0.5f);
  AlphaTestPresets[6].Execute();  // GREATER, reference kept
  ExpectRs(s, {{kRsAlphaFunc, kCmpGreater}, {kRsAlphaRef, 127}});
  GetAlphaTestPreset(0)->Execute();
  ExpectRs(s, {{kRsAlphaTestEnable, 0}});
  BlendPresets[5].Execute();
  EXPECT_EQ(s.rs(kRsTextureFactor) >> 24, 127u);
  GetZModePreset(6)->Execute();
  ExpectRs(s, {{kRsZFunc, kCmpLess}, {kRsZWriteEnable, 0}});
  SGpState_Cull* c = GetCullPreset(9);
  EXPECT_EQ(c->GetMode(), 9);
  c->Execute();
  EXPECT_EQ(s.rs(kRsFillMode), kFillWireframe);
  WorldPresets[0].Execute();
  EXPECT_EQ(SGpMan::GetWorld().m[3][3], 0.0f);  // the zero matrix
  WorldPresets[1].Execute();
  EXPECT_EQ(SGpMan::GetWorld().m[3][3], 1.0f);
  EXPECT_EQ(WorldPresets[4].GetMatrix().m[1][1], -1.0f);
}

TEST(GpLightStack, PushPopRestoresAndNests) {
  NullDeviceScope s;
  SGpMan::EnableLights(1);
  SGpMan::SetLightColour(1, {0.1f, 0.2f, 0.3f, 1.0f});
  SGpState_LightPush outer, inner;
  outer.SetColour(1, 1.0f, 1.0f, 1.0f);
  inner.SetColour(1, 0.5f, 0.5f, 0.5f);
  inner.SetEnable(6);
  SGpState_LightPop pop;
  outer.Execute();
  inner.Execute();
  EXPECT_ALL({VAL(SGpMan::GetLightColour(1).r, 0.5f), VAL(SGpMan::GetLightEnable(), 6u)});
  pop.Execute();
  EXPECT_ALL({VAL(SGpMan::GetLightColour(1).r, 1.0f), VAL(SGpMan::GetLightEnable(), 1u)});
  pop.Execute();
  EXPECT_ALL({VAL(SGpMan::GetLightColour(1).r, 0.1f), VAL(s.light(1).diffuse.b, 0.3f),
              VAL(sgp_stacks::LightFlagsDepth(), 0)});
  EXPECT_TRUE(s.errors.empty());
}

TEST(GpLightStack, EmptyPopAndOverflowAreRefused) {
  NullDeviceScope s;
  SGpState_LightPop pop;
  pop.Execute();  // nothing to pop
  ASSERT_EQ(s.errors.size(), 1u);
  EXPECT_NE(s.errors[0].find("underflow"), std::string::npos);

  SGpMan::SetLightDirection(0, {0.0f, 0.0f, 1.0f, 0.0f});
  SGpState_LightPush push;
  push.SetDirection(0, 1.0f, 0.0f, 0.0f);
  push.SetDirection(1, 1.0f, 0.0f, 0.0f);  // two direction entries per push
  for (int i = 0; i < 16; ++i) push.Execute();  // 32 direction entries: full
  EXPECT_EQ(sgp_stacks::LightDirectionDepth(), 32);
  SGpState_LightPush third;
  third.SetDirection(0, 0.0f, 1.0f, 0.0f);
  third.Execute();  // refused: nothing pushed, nothing changed
  EXPECT_ALL({VAL(sgp_stacks::LightDirectionDepth(), 32), VAL(SGpMan::GetLightDirection(0).x, 1.0f),
              VAL(s.errors.size(), 2u)});
  pop.Execute();  // pairs with the refused push: nothing
  EXPECT_EQ(sgp_stacks::LightDirectionDepth(), 32);
  for (int i = 0; i < 16; ++i) pop.Execute();
  // The first value is back.
  EXPECT_ALL({VAL(sgp_stacks::LightDirectionDepth(), 0), VAL(SGpMan::GetLightDirection(0).z, 1.0f),
              VAL(s.errors.size(), 2u)});
}

TEST(GpAmbientStack, RefusedBeyondCapacity) {
  NullDeviceScope s;
  SGpMan::SetAmbient({0.1f, 0.1f, 0.1f, 0.0f});
  for (int i = 0; i < sgp_stacks::kDepth; ++i) EXPECT_TRUE(PushAmbient({0.5f, 0.5f, 0.5f, 0.0f}));
  EXPECT_FALSE(PushAmbient({0.9f, 0.9f, 0.9f, 0.0f}));
  EXPECT_EQ(SGpMan::GetAmbient().r, 0.5f);
  EXPECT_FALSE(PopAmbient());  // the refused one
  for (int i = 0; i < sgp_stacks::kDepth; ++i) EXPECT_TRUE(PopAmbient());
  EXPECT_EQ(SGpMan::GetAmbient().r, 0.1f);
  EXPECT_FALSE(PopAmbient());
  EXPECT_EQ(s.errors.size(), 2u);
}

}  // namespace
