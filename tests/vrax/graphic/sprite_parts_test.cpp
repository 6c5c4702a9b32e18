#include <gtest/gtest.h>

#include <vector>

#include "vrax/resource/SImageSlot.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpTrackTimer.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

SImageSlot ImgTest;

void ExpectTrack(const SGpKeyTrack& t, const SGpRect* part, float time, int wraps) {
  EXPECT_EQ(t.GetPart(), part);
  EXPECT_EQ(t.GetTime(), time);
  EXPECT_EQ(t.GetWrapCount(), wraps);
}

// Tables are constant data: the constructors must be usable at compile time.
constexpr SGpRect kWide(&ImgTest, 0, 64.0f, 64.0f, 0.0f, 0.0f, 65.0f, 65.0f);
static_assert(kWide.uTR == 1.0f && kWide.vBL == 1.0f);
static_assert(kWide.pivotX == 32.5f);
constexpr SGpRect kTable[] = {
    {&ImgTest, 0, 256.0f, 256.0f, 0.0f, 0.0f, 16.0f, 16.0f},
    {&ImgTest, 1, 256.0f, 256.0f, 16.0f, 0.0f, 16.0f, 16.0f},
};
constexpr SGpKeyList kKeys[] = {{&kTable[0], 2.0f}, {&kTable[1], 3.0f}, {nullptr, 0.0f}};
static_assert(kKeys[1].part->id == 1);

TEST(SGpRect, TextureCoordinatesAddressTheLastTexel) {
  SGpRect r(&ImgTest, 3, 256.0f, 256.0f, 0.0f, 0.0f, 16.0f, 16.0f);
  EXPECT_EQ(r.uTL, 0.0f);
  EXPECT_EQ(r.uTR, 0.05859375f);  // 15/256
  EXPECT_EQ(r.uBR, r.uTR);
  EXPECT_EQ(r.vBL, 0.05859375f);
  SGpRect f(&ImgTest, 0, 256.0f, 256.0f, 0.0f, 0.0f, 16.0f, 16.0f, true, false);
  EXPECT_EQ(f.uTL, 0.05859375f);
  EXPECT_EQ(f.uTR, 0.0f);
  EXPECT_EQ(f.vTL, 0.0f);

  // A whole texture flipped both ways; a part of width 1 samples one column.
  SGpRect whole(&ImgTest, 0, 128.0f, 128.0f, 0.0f, 0.0f, 128.0f, 128.0f, true, true);
  EXPECT_EQ(whole.uTL, 127.0f / 128.0f);
  EXPECT_EQ(whole.vBL, 0.0f);
  SGpRect thin(&ImgTest, 0, 64.0f, 64.0f, 5.0f, 7.0f, 1.0f, 1.0f);
  EXPECT_EQ(thin.uTR, 5.0f / 64.0f);
  EXPECT_EQ(thin.vBL, 7.0f / 64.0f);

  SGpRect piv(&ImgTest, 0, 64.0f, 64.0f, 0.0f, 0.0f, 45.0f, 45.0f, 3.0f, 4.0f, false, false);
  EXPECT_EQ(piv.pivotY, 4.0f);
}

TEST(SGpRectGrid, CellsRowByRowAndIndexWrapsThroughAByte) {
  // 128x64 part on a 128x64 texture, 16x16 cells: 8 columns.
  SGpRect sheet(&ImgTest, 0, 128.0f, 64.0f, 0.0f, 0.0f, 128.0f, 64.0f);
  SGpRectGrid g{&sheet, 16.0f, 16.0f, 32};
  EXPECT_EQ(g.Columns(), 8);
  SGpUV c[4];
  g.GetCellUV('A', c);  // k = 33: row 4, column 1
  const float du = sheet.uTR - sheet.uTL, dv = sheet.vBL - sheet.vTL;
  EXPECT_EQ(c[0].u, 16.0f / 128.0f * du);
  EXPECT_EQ(c[1].u, 31.0f / 128.0f * du);
  EXPECT_EQ(c[0].v, 64.0f / 64.0f * dv);
  EXPECT_EQ(c[2].v, 79.0f / 64.0f * dv);
  EXPECT_EQ(c[1].v, c[0].v);
  EXPECT_EQ(c[3].u, c[1].u);
  EXPECT_EQ(c[3].v, c[2].v);

  // Index 31 with first 32 is cell 255: row 31, column 7.
  g.GetCellUV(31, c);
  EXPECT_EQ(c[0].u, 112.0f / 128.0f * du);
  EXPECT_EQ(c[0].v, 496.0f / 64.0f * dv);

  // A cell wider than the part still gives one column (no division by zero).
  SGpRectGrid wide{&sheet, 1000.0f, 16.0f, 0};
  EXPECT_EQ(wide.Columns(), 1);
  wide.GetCellUV(3, c);
  EXPECT_EQ(c[0].u, 0.0f);
  SGpRectGrid none{nullptr, 16.0f, 16.0f, 0};
  none.GetCellUV(3, c);
  EXPECT_EQ(c[3].u, 0.0f);
}

TEST(SGpKeyTrack, LoopsThroughKeysAndCountsWraps) {
  SGpKeyTrack t(kKeys);
  EXPECT_EQ(t.GetKeyCount(), 2);
  EXPECT_EQ(t.GetTotal(), 5.0f);
  EXPECT_TRUE(t.GetLoop());
  // A at 0 and 1, B at 2..4, A again at 5 (wrapped) and 6.
  const int want[7] = {0, 0, 1, 1, 1, 0, 0};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(t.GetPart(), &kTable[want[i]]) << i;
    if (i < 6) t.Advance(1.0f);
  }
  ExpectTrack(t, &kTable[0], 1.0f, 1);
  t.Advance(10.0f);  // passes several keys and wraps twice
  ExpectTrack(t, &kTable[0], 1.0f, 3);
}

TEST(SGpKeyTrack, NonLoopingStopsOnTheLastKeyAndBackwardWraps) {
  SGpKeyTrack t(kKeys);
  t.SetLoop(false);
  for (int i = 0; i < 8; ++i) t.Advance(1.0f);
  ExpectTrack(t, &kTable[1], 5.0f, 1);
  EXPECT_EQ(t.GetStartTime(), 2.0f);
  EXPECT_EQ(t.GetEndTime(), 5.0f);

  SGpKeyTrack b(kKeys);
  b.Advance(-1.0f);
  ExpectTrack(b, &kTable[1], 4.0f, 0);
  b.Advance(-2.5f);  // 1.5: back into A
  EXPECT_EQ(b.GetPart(), &kTable[0]);
  EXPECT_EQ(b.GetEndTime(), 2.0f);

  SGpKeyTrack c(kKeys);
  c.SetLoop(false);
  c.Advance(-3.0f);
  EXPECT_EQ(c.GetTime(), 0.0f);
  EXPECT_EQ(c.GetPart(), &kTable[0]);
}

TEST(SGpKeyTrack, StillAndHalfFrameKeys) {
  const SGpKeyList still[] = {{&kTable[1], 65536.0f}, {nullptr, 0.0f}};
  SGpKeyTrack t(still);
  for (int i = 0; i < 65535; ++i) t.Advance(1.0f);
  EXPECT_EQ(t.GetWrapCount(), 0);
  t.Advance(1.0f);
  EXPECT_EQ(t.GetWrapCount(), 1);
  EXPECT_EQ(t.GetPart(), &kTable[1]);

  const SGpKeyList half[] = {{&kTable[0], 0.5f}, {&kTable[1], 2.0f}, {nullptr, 0.0f}};
  SGpKeyTrack h(half);
  h.Advance(1.0f);
  EXPECT_EQ(h.GetPart(), &kTable[1]);
}

TEST(SGpKeyTrack, DegenerateListsHold) {
  // Empty list: no part, advancing never reads past the terminator.
  const SGpKeyList empty[] = {{nullptr, 123.0f}};
  SGpKeyTrack e(empty);
  EXPECT_EQ(e.GetPart(), nullptr);
  EXPECT_EQ(e.GetEndTime(), 0.0f);
  e.Advance(1.0f);
  e.Advance(-1.0f);
  EXPECT_EQ(e.GetPart(), nullptr);
  SGpKeyTrack n(nullptr);
  n.Advance(1.0f);
  EXPECT_EQ(n.GetPart(), nullptr);

  // Looping list lasting no time: holds its current part both ways.
  const SGpKeyList zero[] = {{&kTable[0], 0.0f}, {&kTable[1], 0.0f}, {nullptr, 0.0f}};
  SGpKeyTrack z(zero);
  z.Advance(1.0f);
  z.Advance(-1.0f);
  EXPECT_EQ(z.GetPart(), &kTable[0]);
  EXPECT_EQ(z.GetWrapCount(), 0);
  // Not looping, it simply ends on its last part.
  z.SetLoop(false);
  z.Advance(1.0f);
  EXPECT_EQ(z.GetPart(), &kTable[1]);
  EXPECT_EQ(z.GetWrapCount(), 1);

  // A step too large to ever wrap down restarts instead of spinning.
  SGpKeyTrack big(kKeys);
  big.Advance(1.0e30f);
  EXPECT_EQ(big.GetPart(), &kTable[0]);
  EXPECT_EQ(big.GetTime(), 0.0f);
}

// A model whose animations all last 5 frames.
struct FiveFrameModel : SRsc_Model {
  float GetAnimLength(uint32_t) const override { return 5.0f; }
};

TEST(SGpTrackTimer, WrapsAndCountsWhileLoopingAndHoldsOtherwise) {
  FiveFrameModel model;
  SGpTrackTimer t;
  t.Bind(&model, 3);
  EXPECT_TRUE(t.GetObject() == &model && t.GetIndex() == 3u && t.GetLength() == 5.0f);
  // Steps 2, 4, 10, -2: times 2, 6 - 5, 11 - 2 x 5, -1 + 5; wraps 0, 1, 3, 3.
  const float steps[] = {2, 4, 10, -2}, times[] = {2, 1, 1, 4};
  const int wraps[] = {0, 1, 3, 3};
  for (int i = 0; i < 4; ++i) {
    t.Advance(steps[i]);
    EXPECT_TRUE(t.GetTime() == times[i] && t.GetWrapCount() == wraps[i]) << i;
  }
  t.Bind(&model, 0);
  t.SetLoop(false);
  t.Advance(7.0f);
  EXPECT_TRUE(t.GetTime() == 5.0f && t.GetWrapCount() == 1);
  t.Advance(-9.0f);
  EXPECT_EQ(t.GetTime(), 0.0f);
}

// A model whose animation n lasts 2n + 1 frames; it records what it was
// asked.
struct CountingModel : SRsc_Model {
  float GetAnimLength(uint32_t index) const override {
    asked.push_back(index);
    return float(2 * index + 1);
  }
  mutable std::vector<uint32_t> asked;
};

TEST(SGpTrackTimer, TakesTheLengthOfTheBoundAnimationFromTheObject) {
  CountingModel counting;
  SGpTrackTimer t;
  for (uint32_t index : {0u, 3u, 7u}) {
    t.Bind(&counting, index);
    EXPECT_EQ(t.GetLength(), float(2 * index + 1)) << index;
  }
  EXPECT_EQ(counting.asked, (std::vector<uint32_t>{0, 3, 7}));
  // A model holds one animation, up to its last frame (1.0 in the base):
  // any other index has none.
  SRsc_Model model;
  t.Bind(&model, 0);
  EXPECT_EQ(t.GetLength(), 1.0f);
  t.Bind(&model, 1);
  EXPECT_EQ(t.GetLength(), 0.0f);
  t.Advance(3.0f);
  EXPECT_EQ(t.GetTime(), 0.0f);
}

// An animated object that records the index it was asked to apply and
// answers with a packet of its own.
struct RecordingAnimated : SGpAnimated {
  SGpObj* ApplyAnim(uint32_t index) override {
    applied.push_back(index);
    return &packet;
  }
  std::vector<uint32_t> applied;
  SGpObj packet;
};

// An image of three texture packets.
class ThreeTextureImage : public SRsc_Image {
 public:
  ThreeTextureImage() {
    for (uint32_t i = 0; i < 3; ++i) packets_.emplace_back(this, i);
  }
};

TEST(SGpKeyRef, ApplyAndGetCallTheObjectsApplyWithTheStoredIndex) {
  RecordingAnimated object;
  const SGpKeyRef ref{&object, 6};
  EXPECT_EQ(ref.Apply(), &object.packet);
  EXPECT_EQ(ref.Get(), &object.packet);
  EXPECT_EQ(object.applied, (std::vector<uint32_t>{6, 6}));
  EXPECT_EQ((SGpKeyRef{nullptr, 6}.Apply()), nullptr);

  // A sprite part's key reference: animation `id` of its image slot, the
  // packet of texture `id` of the image the slot holds.
  SImageSlot slot;
  const SGpRect second(&slot, 1, 64.0f, 64.0f, 0.0f, 0.0f, 8.0f, 8.0f);
  const SGpRect fourth(&slot, 3, 64.0f, 64.0f, 0.0f, 0.0f, 8.0f, 8.0f);
  EXPECT_EQ(second.KeyRef().Apply(), nullptr);  // nothing loaded yet
  ThreeTextureImage image;
  slot = &image;
  EXPECT_EQ(second.KeyRef().Apply(), image.GetTexturePacket(1));
  EXPECT_EQ(second.KeyRef().Get(), image.GetTexturePacket(1));
  // Past the three textures its list names: the packet that binds nothing.
  EXPECT_EQ(fourth.KeyRef().Apply(), &KeepTexturePacket());
  EXPECT_EQ((SGpKeyRef{&slot, 0x80000000u}.Apply()), &KeepTexturePacket());
}

TEST(SGpVec4Track, InterpolatesBetweenKeysAndHoldsOutside) {
  SGpVec4Track tr;
  const float k0[4] = {0, 0, 0, 1}, k1[4] = {10, 20, 30, 1}, k2[4] = {5, 5, 5, 5};
  EXPECT_EQ(tr.AddKey(k0, 1), 0);
  EXPECT_EQ(tr.AddKey(k1, 11), 0);
  EXPECT_EQ(tr.AddKey(k2, 11), 1);  // not above the last key frame
  EXPECT_EQ(tr.AddKey(k2, 3), 1);
  EXPECT_EQ(tr.GetKeyCount(), 2);
  ASSERT_EQ(tr.GetFrameIndex().size(), 12u);
  EXPECT_EQ(tr.GetFrameIndex()[10], 0);
  EXPECT_EQ(tr.GetFrameIndex()[11], 1);

  float out[4] = {-1, -1, -1, 7};
  tr.Evaluate(out, 3.5f);
  // The fourth component is the caller's.
  EXPECT_EQ(std::vector<float>(out, out + 4), (std::vector<float>{2.5f, 5.0f, 7.5f, 7.0f}));
  tr.Evaluate(out, 12.0f);
  EXPECT_EQ(out[0], 10.0f);
  EXPECT_EQ(out[3], 1.0f);
  tr.Evaluate(out, -2.0f);
  EXPECT_EQ(out[1], 0.0f);
  tr.Evaluate(out, 1.0e20f);  // no integer overflow on huge times
  EXPECT_EQ(out[2], 30.0f);
}

TEST(SGpVec4Track, NoKeysHoldsAndHugeFramesAreRefused) {
  SGpVec4Track tr;
  float out[4] = {1, 2, 3, 4};
  tr.Evaluate(out, 5.0f);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_EQ(out[3], 4.0f);

  const float v[4] = {9, 9, 9, 9};
  EXPECT_EQ(tr.AddKey(v, 0), 0);
  EXPECT_EQ(tr.AddKey(v, 0x7FFFFFFF), -1);
  EXPECT_EQ(tr.AddKey(v, 65536), -1);  // frames run to 65,535
  EXPECT_EQ(tr.GetKeyCount(), 1);
  EXPECT_EQ(tr.AddKey(v, 65535), 0);
  EXPECT_EQ(tr.GetFrameIndex().size(), size_t(65536));
  EXPECT_EQ(tr.AddKey(v, -5), 1);
  tr.Clear();
  EXPECT_EQ(tr.AddKey(v, 0), 0);
}

}  // namespace
