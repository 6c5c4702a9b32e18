#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "vrax/resource/LinearAllocator.h"

namespace {

uint8_t* AlignedPlus(std::vector<uint8_t>& buf, uintptr_t offset) {
  uintptr_t a = reinterpret_cast<uintptr_t>(buf.data());
  a = (a + 31) & ~uintptr_t{31};
  return reinterpret_cast<uint8_t*>(a + offset);
}

TEST(LinearAllocator, MisalignedBufferLosesTheGap) {
  std::vector<uint8_t> buf(0xC0000 + 64);
  uint8_t* p = AlignedPlus(buf, 8);
  LinearAllocator la;
  EXPECT_EQ(la.Init(p, 0xC0000), 24u);
  EXPECT_EQ(la.Capacity(), 0xC0000u - 24);
  EXPECT_EQ(la.GetBase(), p + 24);
  EXPECT_EQ(la.Alloc(1), p + 24);
  EXPECT_EQ(la.Used(), 32u);
  EXPECT_EQ(la.Alloc(33), p + 24 + 32);
  EXPECT_EQ(la.Used(), 96u);
}

TEST(LinearAllocator, ExhaustionAndReset) {
  std::vector<uint8_t> buf(256);
  uint8_t* p = AlignedPlus(buf, 0);
  LinearAllocator la;
  EXPECT_EQ(la.Init(p, 128), 0u);
  for (int i = 0; i < 2; ++i) EXPECT_NE(la.Alloc(64), nullptr) << i;
  EXPECT_EQ(la.Alloc(1), nullptr);  // exactly full
  la.Reset();
  EXPECT_EQ(la.Alloc(128), p);
  EXPECT_EQ(la.Alloc(0xFFFFFFFFu), nullptr);  // rounding must not wrap
}

TEST(LinearAllocator, BufferShorterThanTheGapHasNoCapacity) {
  std::vector<uint8_t> buf(64);
  uint8_t* p = AlignedPlus(buf, 8);
  LinearAllocator la;
  EXPECT_EQ(la.Init(p, 10), 24u);
  EXPECT_EQ(la.Capacity(), 0u);
  EXPECT_EQ(la.Alloc(1), nullptr);
}

TEST(LinearAllocator, NullBufferKeepsItsSizeAsCapacityAndRefusesEveryAlloc) {
  // Nothing to round: 0 bytes skipped, capacity 4096 - 0, base null.
  LinearAllocator la;
  EXPECT_EQ(la.Init(nullptr, 4096), 0u);
  EXPECT_EQ(la.Capacity(), 4096u);
  EXPECT_EQ(la.GetBase(), nullptr);
  EXPECT_EQ(la.Alloc(32), nullptr);
}

}  // namespace
