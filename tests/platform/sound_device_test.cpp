#include "platform/sound_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace {

using plat::MakePcmFormat;
using plat::SoundBuffer;
using plat::SoundDevice;

std::unique_ptr<SoundDevice> Manual() { return SoundDevice::OpenNull(plat::NullMode::kManual); }

// Creates a buffer and fills it whole with bytes.
SoundBuffer* Make(SoundDevice& dev, const plat::PcmFormat& f, const std::vector<uint8_t>& bytes) {
  SoundBuffer* b = nullptr;
  EXPECT_EQ(dev.CreateSoundBuffer(f, static_cast<uint32_t>(bytes.size()), &b), plat::kSoundOk);
  void* p1 = nullptr;
  uint32_t n1 = 0;
  EXPECT_EQ(b->Lock(0, 0, &p1, &n1, nullptr, nullptr, plat::kSoundLockEntireBuffer), plat::kSoundOk);
  EXPECT_EQ(n1, bytes.size());
  std::memcpy(p1, bytes.data(), n1);
  EXPECT_EQ(b->Unlock(p1, n1, nullptr, 0), plat::kSoundOk);
  return b;
}

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& s) {
  std::vector<uint8_t> out(s.size() * 2);
  for (size_t i = 0; i < s.size(); ++i) {
    out[2 * i] = static_cast<uint8_t>(s[i] & 0xFF);
    out[2 * i + 1] = static_cast<uint8_t>((static_cast<uint16_t>(s[i]) >> 8) & 0xFF);
  }
  return out;
}

uint32_t Status(SoundBuffer* b) {
  uint32_t st = 0;
  b->GetStatus(&st);
  return st;
}
uint32_t Position(SoundBuffer* b, uint32_t play = 0) {
  b->GetCurrentPosition(&play, nullptr);
  return play;
}

std::vector<int16_t> Render(SoundDevice& dev, uint32_t frames) {
  std::vector<int16_t> out(frames * 2);
  dev.Render(out.data(), frames);
  return out;
}

TEST(SoundDevice, LockWrapsIntoSecondRegionAndCommitsOnUnlock) {
  auto dev = Manual();
  SoundBuffer* b = nullptr;
  ASSERT_EQ(dev->CreateSoundBuffer(MakePcmFormat(1, 22050, 8), 16, &b), plat::kSoundOk);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(b->Lock(12, 8, &p1, &n1, &p2, &n2, 0), plat::kSoundOk);
  EXPECT_EQ(n1, 4u);
  EXPECT_EQ(n2, 4u);
  ASSERT_NE(p2, nullptr);
  // A second lock while one is open is refused.
  void* q;
  uint32_t m;
  EXPECT_LT(b->Lock(0, 4, &q, &m, nullptr, nullptr, 0), 0);
  std::memset(p1, 0xAA, n1);
  std::memset(p2, 0xBB, n2);
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), plat::kSoundOk);
  EXPECT_LT(b->Unlock(p1, n1, p2, n2), 0);  // not locked any more

  ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, plat::kSoundLockEntireBuffer), plat::kSoundOk);
  ASSERT_EQ(n1, 16u);
  EXPECT_EQ(n2, 0u);
  const uint8_t* d = static_cast<const uint8_t*>(p1);
  for (int i = 0; i < 16; ++i) {
    const uint8_t want = i < 4 ? 0xBB : (i >= 12 ? 0xAA : 0x80);  // 8-bit silence is 0x80
    EXPECT_EQ(d[i], want) << i;
  }
  // Bytes written but not reported to Unlock are not committed.
  std::memset(p1, 0x11, n1);
  ASSERT_EQ(b->Unlock(p1, 2, nullptr, 0), plat::kSoundOk);
  ASSERT_EQ(b->Lock(0, 16, &p1, &n1, &p2, &n2, 0), plat::kSoundOk);
  EXPECT_EQ(static_cast<uint8_t*>(p1)[1], 0x11);
  EXPECT_EQ(static_cast<uint8_t*>(p1)[2], 0xBB);
  b->Unlock(p1, 0, nullptr, 0);
  // A range that wraps needs somewhere to put the second region.
  EXPECT_LT(b->Lock(10, 10, &p1, &n1, nullptr, nullptr, 0), 0);
  EXPECT_LT(b->Lock(16, 1, &p1, &n1, &p2, &n2, 0), 0);
  b->Release();
  EXPECT_EQ(dev->BufferCount(), 0u);
}

TEST(SoundDevice, RefusesLayoutsItCannotMix) {
  auto dev = Manual();
  SoundBuffer* b = reinterpret_cast<SoundBuffer*>(1);
  EXPECT_LT(dev->CreateSoundBuffer(MakePcmFormat(1, 22050, 24), 64, &b), 0);
  EXPECT_EQ(b, nullptr);
  plat::PcmFormat tag = MakePcmFormat(2, 22050, 16), align = tag;
  tag.formatTag = 3;
  align.blockAlign = 2;
  for (const plat::PcmFormat& f : {MakePcmFormat(3, 22050, 16), MakePcmFormat(2, 0, 16), tag, align})
    EXPECT_LT(dev->CreateSoundBuffer(f, 64, &b), 0) << f.channels << " " << f.formatTag << " " << f.blockAlign;
  EXPECT_LT(dev->CreateSoundBuffer(MakePcmFormat(1, 22050, 16), 2, &b), 0);
  EXPECT_EQ(dev->BufferCount(), 0u);
}

TEST(SoundDevice, OneShotPlaysOnceAtTheSourceLength) {
  auto dev = Manual();
  // 44,100 Hz mono: one output frame per sample, values exact.
  std::vector<int16_t> s(300);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(i * 100 - 15000);
  SoundBuffer* b = Make(*dev, MakePcmFormat(1, 44100, 16), Pcm16(s));
  ASSERT_EQ(b->Play(0), plat::kSoundOk);
  EXPECT_EQ(Status(b), plat::kSoundStatusPlaying);
  auto out = Render(*dev, 400);
  for (size_t i = 0; i < 300; ++i) {
    ASSERT_EQ(out[2 * i], s[i]) << i;
    ASSERT_EQ(out[2 * i + 1], s[i]) << i;
  }
  for (size_t i = 300; i < 400; ++i) ASSERT_EQ(out[2 * i], 0) << i;
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(Position(b, 99), 0u);

  // 22,050 Hz 8-bit: every source frame lasts two output frames.
  std::vector<uint8_t> eight(100, 0x90);  // +16 -> 4096
  SoundBuffer* c = Make(*dev, MakePcmFormat(1, 22050, 8), eight);
  c->Play(0);
  out = Render(*dev, 300);
  size_t heard = 0;
  for (size_t i = 0; i < 300; ++i) heard += out[2 * i] != 0;
  EXPECT_EQ(heard, 200u);
  EXPECT_EQ(out[0], 4096);
}

// A duplicate plays the original's memory without a copy of it: what is
// written through either one's lock is heard from both, while the play
// state, position and volume are each buffer's own, and the memory stays
// while either buffer does.
TEST(SoundDevice, DuplicateSharesTheMemoryButNotThePlayState) {
  auto dev = Manual();
  // 44,100 Hz mono: one output frame per sample, values exact.
  SoundBuffer* a = Make(*dev, MakePcmFormat(1, 44100, 16), Pcm16({100, 200, 300, 400}));
  SoundBuffer* b = nullptr;
  ASSERT_EQ(dev->DuplicateSoundBuffer(a, &b), plat::kSoundOk);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b, a);
  EXPECT_EQ(b->Memory(), a->Memory());
  EXPECT_EQ(b->Size(), 8u);
  EXPECT_EQ(dev->BufferCount(), 2u);
  ASSERT_EQ(b->Play(0), plat::kSoundOk);
  auto out = Render(*dev, 6);
  EXPECT_EQ((std::vector<int16_t>{out[0], out[2], out[4], out[6], out[8]}), (std::vector<int16_t>{100, 200, 300, 400, 0}));
  EXPECT_EQ(Status(a), 0u);  // the original was not started

  // Written through the original, heard from the duplicate, at its own volume.
  void* p1 = nullptr;
  uint32_t n1 = 0;
  ASSERT_EQ(a->Lock(0, 0, &p1, &n1, nullptr, nullptr, plat::kSoundLockEntireBuffer), plat::kSoundOk);
  const auto sevens = Pcm16({7000, 7000, 7000, 7000});
  std::memcpy(p1, sevens.data(), n1);
  ASSERT_EQ(a->Unlock(p1, n1, nullptr, 0), plat::kSoundOk);
  a->SetVolume(plat::kSoundVolumeMin);
  a->Play(plat::kSoundPlayLooping);
  b->Play(0);
  out = Render(*dev, 2);
  EXPECT_EQ(out[0], 7000);  // the original adds next to nothing at -100 dB
  EXPECT_EQ(Position(b), 4u);
  EXPECT_EQ(Status(a), plat::kSoundStatusPlaying | plat::kSoundStatusLooping);
  b->Stop();
  EXPECT_EQ(Status(a), plat::kSoundStatusPlaying | plat::kSoundStatusLooping);

  // The original goes; the memory stays with the duplicate.
  a->Release();
  b->SetCurrentPosition(0);
  b->Play(0);
  out = Render(*dev, 1);
  EXPECT_EQ(out[0], 7000);
  EXPECT_EQ(dev->BufferCount(), 1u);

  auto other = Manual();
  SoundBuffer* c = Make(*other, MakePcmFormat(1, 44100, 16), Pcm16({1, 2}));
  SoundBuffer* d = reinterpret_cast<SoundBuffer*>(1);
  EXPECT_EQ(dev->DuplicateSoundBuffer(c, &d), plat::kSoundErrInvalidParam);  // another device's
  EXPECT_EQ(d, nullptr);
  EXPECT_EQ(dev->DuplicateSoundBuffer(nullptr, &d), plat::kSoundErrInvalidParam);
  EXPECT_EQ(dev->DuplicateSoundBuffer(b, nullptr), plat::kSoundErrInvalidParam);
  c->Release();
  b->Release();
  EXPECT_EQ(dev->BufferCount(), 0u);
}

TEST(SoundDevice, LoopingWrapsAndCursorCountsBytes) {
  auto dev = Manual();
  std::vector<int16_t> s(64);  // stereo frames: left i, right -i
  for (int i = 0; i < 32; ++i) {
    s[2 * i] = static_cast<int16_t>(i * 10);
    s[2 * i + 1] = static_cast<int16_t>(-i * 10);
  }
  SoundBuffer* b = Make(*dev, MakePcmFormat(2, 44100, 16), Pcm16(s));
  ASSERT_EQ(b->SetCurrentPosition(8 * 4), plat::kSoundOk);  // from frame 8
  b->Play(plat::kSoundPlayLooping);
  auto out = Render(*dev, 100);
  for (int k = 0; k < 100; ++k) {
    const int f = (8 + k) % 32;
    ASSERT_EQ(out[2 * k], f * 10) << k;
    ASSERT_EQ(out[2 * k + 1], -f * 10) << k;
  }
  EXPECT_EQ(Position(b), ((8 + 100) % 32) * 4u);
  EXPECT_EQ(Status(b), plat::kSoundStatusPlaying | plat::kSoundStatusLooping);
  // Stop keeps the position; Play resumes there.
  b->Stop();
  Render(*dev, 10);
  EXPECT_EQ(Position(b), ((8 + 100) % 32) * 4u);
  EXPECT_LT(b->SetCurrentPosition(128), 0);

  // 11,025 Hz: the cursor moves one source frame per four output frames.
  SoundBuffer* c = Make(*dev, MakePcmFormat(2, 11025, 16), std::vector<uint8_t>(4000, 0));
  c->Play(plat::kSoundPlayLooping);
  Render(*dev, 400);
  EXPECT_EQ(Position(c), 100u * 4u);
}

TEST(SoundDevice, InterpolatesLinearlyBetweenSourceFrames) {
  auto dev = Manual();
  SoundBuffer* b = Make(*dev, MakePcmFormat(1, 22050, 16), Pcm16({0, 1000, 3000, 3000}));
  b->Play(0);
  auto out = Render(*dev, 6);
  const int16_t want[] = {0, 500, 1000, 2000, 3000, 3000};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(out[2 * k], want[k]) << k;
}

TEST(SoundDevice, VolumeAndPanFollowTheDecibelLaw) {
  auto dev = Manual();
  SoundBuffer* b = Make(*dev, MakePcmFormat(1, 44100, 16), Pcm16(std::vector<int16_t>(64, 10000)));
  struct Case {
    int32_t volume, pan;
    int16_t left, right;
  } cases[] = {
      {0, 0, 10000, 10000},
      {-600, 0, 5012, 5012},      // -6 dB
      {-2000, 0, 1000, 1000},     // -20 dB
      {0, 1000, 3162, 10000},     // pan right 10 dB: left down
      {0, -2000, 10000, 1000},    // pan left 20 dB: right down
      {-600, 600, 2512, 5012},    // both laws together
      {0, 10000, 0, 10000},       // full right: left silent
      {-10000, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(b->SetVolume(c.volume), plat::kSoundOk);
    ASSERT_EQ(b->SetPan(c.pan), plat::kSoundOk);
    b->SetCurrentPosition(0);
    b->Play(plat::kSoundPlayLooping);
    auto out = Render(*dev, 4);
    EXPECT_NEAR(out[0], c.left, 1) << c.volume << " " << c.pan;
    EXPECT_NEAR(out[1], c.right, 1) << c.volume << " " << c.pan;
    b->Stop();
  }
  int32_t v = 0, p = 0;
  EXPECT_LT(b->SetVolume(1), 0);
  EXPECT_LT(b->SetVolume(-10001), 0);
  EXPECT_LT(b->SetPan(10001), 0);
  b->GetVolume(&v);
  b->GetPan(&p);
  EXPECT_EQ(v, -10000);
  EXPECT_EQ(p, 0);
}

TEST(SoundDevice, VoicesAddAndClampAtFullScale) {
  auto dev = Manual();
  const auto fmt = MakePcmFormat(1, 44100, 16);
  Make(*dev, fmt, Pcm16(std::vector<int16_t>(8, 20000)))->Play(0);
  Make(*dev, fmt, Pcm16(std::vector<int16_t>(8, -1000)))->Play(0);
  EXPECT_EQ(Render(*dev, 1)[0], 19000);
  Make(*dev, fmt, Pcm16(std::vector<int16_t>(8, 30000)))->Play(0);
  EXPECT_EQ(Render(*dev, 1)[0], 32767);
  for (int i = 0; i < 3; ++i) Make(*dev, fmt, Pcm16(std::vector<int16_t>(8, -32768)))->Play(0);
  EXPECT_EQ(Render(*dev, 1)[0], -32768);  // 49,000 - 98,304
}

TEST(SoundDevice, ClockModeMovesCursorsWithTime) {
  auto dev = SoundDevice::OpenNull(plat::NullMode::kClock);
  SoundBuffer* b = nullptr;
  ASSERT_EQ(dev->CreateSoundBuffer(MakePcmFormat(1, 44100, 16), 44100 * 2, &b), plat::kSoundOk);
  b->Play(plat::kSoundPlayLooping);
  const uint32_t first = Position(b);
  plat::SleepMs(30);
  EXPECT_GE(Position(b) - first, 20u * 44u * 2u);  // at least 20 ms of 16-bit mono went by
}

TEST(SoundDevice, RealOutputOrFallbackPlaysWhileOtherThreadsCall) {
  // Under the test harness SDL uses its dummy driver, whose thread pulls the
  // mix at real pace; without any driver the fallback runs on the clock.
  auto dev = SoundDevice::Open();
  ASSERT_NE(dev, nullptr);
  SoundBuffer* b = nullptr;
  ASSERT_EQ(dev->CreateSoundBuffer(MakePcmFormat(2, 22050, 16), 0x10000, &b), plat::kSoundOk);
  b->Play(plat::kSoundPlayLooping);
  std::thread writer([&] {
    for (int i = 0; i < 200; ++i) {
      void *p1, *p2;
      uint32_t n1, n2;
      if (b->Lock(static_cast<uint32_t>(i * 1000) % 0x10000, 0x8000, &p1, &n1, &p2, &n2, 0) == 0) {
        std::memset(p1, i, n1);
        if (n2 > 0) std::memset(p2, i, n2);
        b->Unlock(p1, n1, p2, n2);
      }
    }
  });
  // Read the cursor for at least 100 ms and until it has moved (at most 5 s):
  // the buffer plays on while this thread and the writer call into it.
  uint32_t first = 0, pos = 0;
  b->GetCurrentPosition(&first, nullptr);
  const int64_t t0 = plat::PerfCounter(), f = plat::PerfFrequency();
  for (int64_t t = t0; t - t0 < f / 10 || (pos == first && t - t0 < 5 * f); t = plat::PerfCounter()) {
    b->GetCurrentPosition(&pos, nullptr);
    ASSERT_LT(pos, 0x10000u);
    b->SetVolume(-100);
  }
  writer.join();
  EXPECT_NE(pos, first) << "the play cursor never moved";
  b->Release();
}

}  // namespace
