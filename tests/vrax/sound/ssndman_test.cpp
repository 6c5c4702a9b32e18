#include "vrax/sound/SSndMan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/sound_device.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/sound/WavWriter.h"
#include "support/ExpectAll.h"

namespace {

// The player over a null device in manual mode: the mix moves only when the
// test renders, and refill passes run only when the test asks.
class SSndManTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SSndMan::InitWithDevice(plat::SoundDevice::OpenNull(plat::NullMode::kManual), false), 0);
  }
  void TearDown() override {
    SSndMan::ReleaseBank(&bank);
    SSndMan::ReleaseDevice();
  }
  std::vector<int16_t> Render(uint32_t frames) {
    std::vector<int16_t> out(frames * 2);
    SSndMan::Device()->Render(out.data(), frames);
    return out;
  }
  uint32_t Cursor(int n) {
    uint32_t play = 0;
    bank.entries[n]->buffer->GetCurrentPosition(&play, nullptr);
    return play;
  }
  int Add(const std::vector<uint8_t>& w, SoundListLine line, SoundBank* b = nullptr) {
    return SSndMan::AddWave(b ? b : &bank, w.data(), w.size(), line);
  }
  bool Playing(int n) {
    uint32_t st = 0;
    bank.entries[n]->buffer->GetStatus(&st);
    return (st & plat::kSoundStatusPlaying) != 0;
  }
  SoundBank bank;
};

// Distinct 16-bit values, so a sample out of place shows.
std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>(static_cast<int>((i * 7919) % 60001) - 30000);
  return s;
}

TEST(SSndManConvert, VolumeAndPanFixedPointToHundredths) {
  // 1: 10000 >> 16 = 0; 70000: louder than full is full.
  const std::pair<int32_t, int32_t> volume[] = {{65536, 0},     {32768, -5000}, {0, -10000}, {61440, -625},
                                                {1, -10000},    {70000, 0},     {-5, -10000}};
  for (auto [in, want] : volume) EXPECT_EQ(SSndMan::VolumeToHundredths(in), want) << in;
  // -1 truncates toward zero; 19660 is 30 x 196.608 truncated.
  const std::pair<int32_t, int32_t> pan[] = {{65536, 10000}, {-32768, -5000}, {0, 0},
                                             {-1, 0},        {19660, 2999},   {1 << 30, 10000}};
  for (auto [in, want] : pan) EXPECT_EQ(SSndMan::PanToHundredths(in), want) << in;
}

TEST(StreamFill, LongDataShortLoopAndBadLoopStart) {
  std::vector<uint8_t> d(100);
  for (int i = 0; i < 100; ++i) d[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> dst(64, 0xEE);
  auto expectAt = [&](std::initializer_list<std::pair<int, int>> want) {
    for (auto [at, v] : want) EXPECT_EQ(dst[at], v) << at;
  };
  // Straight copy while the data lasts.
  EXPECT_EQ(FillStreamHalf(d.data(), 100, 10, 0, dst.data(), 64, 0), 64u);
  EXPECT_EQ(dst[63], 63);
  // The rest, then the loop section repeated: 64..99 (36), 10..37 (28).
  EXPECT_EQ(FillStreamHalf(d.data(), 100, 10, 64, dst.data(), 64, 0), 38u);
  expectAt({{35, 99}, {36, 10}, {63, 37}});
  // A loop section shorter than the room repeats whole: 90..99, then 80..99 x2, 80..93.
  EXPECT_EQ(FillStreamHalf(d.data(), 100, 80, 90, dst.data(), 64, 0), 94u);
  expectAt({{9, 99}, {10, 80}, {30, 80}, {50, 80}, {63, 93}});
  // Ending exactly at the data end goes back to the loop start.
  EXPECT_EQ(FillStreamHalf(d.data(), 100, 20, 36, dst.data(), 64, 0), 20u);
  // A loop start at or past the end has no loop section: it loops from 0
  // instead of spinning for ever.
  EXPECT_ALL({VAL(FillStreamHalf(d.data(), 100, 100, 90, dst.data(), 64, 0), 54u), VAL(dst[10], 0),
              VAL(FillStreamHalf(d.data(), 100, 5000, 90, dst.data(), 64, 0), 54u),
              VAL(FillStreamHalf(nullptr, 0, 0, 0, dst.data(), 64, 0x80), 0u), VAL(dst[0], 0x80)});
}

TEST_F(SSndManTest, StaticSoundPlaysOnceAtItsLength) {
  // 22,050 Hz 8-bit mono: 1000 source frames last 2000 output frames.
  ASSERT_EQ(SSndMan::AddWave(&bank, MakeWaveFile(1, 22050, 8, std::vector<uint8_t>(1000, 0xA0)).data(),
                             44 + 1000, SoundListLine{"a.wav", false, 0}),
            0);
  ASSERT_EQ(SSndMan::Count(&bank), 1);
  EXPECT_EQ(bank.entries[0]->streamData, nullptr);
  EXPECT_EQ(bank.entries[0]->frameBytes, 22050u / 60u);
  SSndMan::Play(&bank, 0, 65536, 0);
  auto out = Render(3000);
  size_t heard = 0;
  for (size_t k = 0; k < 3000; ++k) heard += out[2 * k] != 0;
  EXPECT_ALL({VAL(heard, 2000u), VAL(out[0], 32 * 256), VAL(out[1], 32 * 256)});
  EXPECT_FALSE(Playing(0));
  EXPECT_EQ(SSndMan::StreamCount(), 0u);
}

TEST_F(SSndManTest, StreamedSoundLoopsBackExactlyAtItsLoopStart) {
  // 44,100 Hz 16-bit mono: output samples are the source samples. 50,000
  // frames are 100,000 bytes, more than the 64 KB stream buffer.
  const uint32_t frames = 50000;
  const int32_t loopFrame = 1234;
  auto samples = Ramp(frames);
  auto wave = MakeWaveFile16(1, 44100, samples);
  ASSERT_EQ(Add(wave, SoundListLine{"bgm.wav", true, loopFrame}), 0);
  SoundBufferEntry& e = *bank.entries[0];
  ASSERT_NE(e.streamData, nullptr);
  EXPECT_ALL({VAL(e.dataSize, frames * 2), VAL(e.loopStart, static_cast<uint32_t>(loopFrame) * 2),
              VAL(e.buffer->Size(), kStreamBufferBytes), VAL(SSndMan::StreamCount(), 1u)});

  SSndMan::Play(&bank, 0, 65536, 0);
  SSndMan::StreamPass();
  const uint32_t total = 160000;  // past the end of the data twice
  uint32_t done = 0;
  while (done < total) {
    const uint32_t chunk = 3000;  // 6000 bytes: well within one half's playing time
    auto out = Render(chunk);
    for (uint32_t k = 0; k < chunk; ++k) {
      const uint32_t f = done + k;
      const uint32_t src = f < frames ? f : loopFrame + (f - frames) % (frames - loopFrame);
      ASSERT_EQ(out[2 * k], samples[src]) << "output frame " << f;
      ASSERT_EQ(out[2 * k + 1], samples[src]) << "output frame " << f;
    }
    done += chunk;
    SSndMan::StreamPass();
  }
  EXPECT_TRUE(Playing(0));
}

TEST_F(SSndManTest, ShortStreamRepeatsItsLoopSectionAndBadLoopStartLoopsFromZero) {
  // 8-bit stereo at 44,100 Hz, 3000 frames (6000 bytes, less than a half).
  std::vector<uint8_t> s(6000);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>((i * 37) % 251);
  auto wave = MakeWaveFile(2, 44100, 8, s);
  ASSERT_EQ(Add(wave, SoundListLine{"a.wav", true, 1000}), 0);
  // Loop start past the data: the sound loops over all of it.
  ASSERT_EQ(Add(wave, SoundListLine{"b.wav", true, 3000}), 0);
  ASSERT_EQ(Add(wave, SoundListLine{"c.wav", true, -4}), 0);
  EXPECT_EQ(bank.entries[1]->loopStart, 0u);
  EXPECT_EQ(bank.entries[2]->loopStart, 0u);
  for (int n = 0; n < 2; ++n) {
    const uint32_t loop = n == 0 ? 1000 : 0;
    SSndMan::Play(&bank, n, 65536, 0);
    SSndMan::StreamPass();
    for (uint32_t done = 0; done < 40000; done += 2000) {
      auto out = Render(2000);
      for (uint32_t k = 0; k < 2000; ++k) {
        const uint32_t f = done + k;
        const uint32_t src = f < 3000 ? f : loop + (f - 3000) % (3000 - loop);
        ASSERT_EQ(out[2 * k], (s[2 * src] - 128) * 256) << n << " " << f;
        ASSERT_EQ(out[2 * k + 1], (s[2 * src + 1] - 128) * 256) << n << " " << f;
      }
      SSndMan::StreamPass();
    }
    SSndMan::Stop(&bank, n);
  }
}

TEST_F(SSndManTest, VolumeAndPanReachTheOutputWithDecibelGains) {
  auto wave = MakeWaveFile16(1, 44100, std::vector<int16_t>(4000, 20000));
  ASSERT_EQ(Add(wave, SoundListLine{"a.wav", false, 0}), 0);
  struct Case {
    int32_t volume, pan;
  } cases[] = {{65536, 0}, {32768, 0}, {61440, 0}, {65536, 32768}, {58982, -19660}, {65536, 65536}};
  for (const Case& c : cases) {
    SSndMan::Stop(&bank, 0);
    SSndMan::Play(&bank, 0, c.volume, c.pan);
    auto out = Render(4);
    const double v = SSndMan::VolumeToHundredths(c.volume);
    const double p = SSndMan::PanToHundredths(c.pan);
    const double left = 20000 * std::pow(10.0, v / 2000) * (p > 0 ? std::pow(10.0, -p / 2000) : 1.0);
    const double right = 20000 * std::pow(10.0, v / 2000) * (p < 0 ? std::pow(10.0, p / 2000) : 1.0);
    EXPECT_NEAR(out[0], left, 1.0) << c.volume << " " << c.pan;
    EXPECT_NEAR(out[1], right, 1.0) << c.volume << " " << c.pan;
  }
  // -5000 hundredths: 20000 x 10^-2.5 = 63.2.
  SSndMan::Stop(&bank, 0);
  SSndMan::Play(&bank, 0, 32768, 0);
  EXPECT_NEAR(Render(1)[0], 63, 1);
  // SetVolume changes a playing sound without restarting it.
  Render(100);
  const uint32_t before = Cursor(0);
  SSndMan::SetVolume(&bank, 0, 65536);
  EXPECT_EQ(Cursor(0), before);
  EXPECT_EQ(Render(1)[0], 20000);
  SSndMan::SetVolume(&bank, 5, 0);  // out of range: nothing
  SSndMan::SetVolume(&bank, -1, 0);
}

TEST_F(SSndManTest, NoRestartWithinOneFrameOfData) {
  // 44,100 Hz 16-bit mono: one frame of 1/60 s is 1470 bytes (735 samples).
  auto wave = MakeWaveFile16(1, 44100, Ramp(20000));
  ASSERT_EQ(Add(wave, SoundListLine{"a.wav", false, 0}), 0);
  EXPECT_EQ(bank.entries[0]->frameBytes, 1470u);
  SSndMan::Play(&bank, 0, 65536, 0);
  Render(734);
  EXPECT_EQ(Cursor(0), 1468u);
  SSndMan::Play(&bank, 0, 0, 0);  // too soon: ignored, volume included
  EXPECT_EQ(Cursor(0), 1468u);
  EXPECT_NE(Render(1)[0], 0);
  EXPECT_EQ(Cursor(0), 1470u);
  SSndMan::Play(&bank, 0, 65536, 0);  // a frame's worth played: restarts
  EXPECT_EQ(Cursor(0), 0u);
  EXPECT_TRUE(Playing(0));
  // Stopped sounds always restart from the beginning.
  Render(300);
  SSndMan::Stop(&bank, 0);
  EXPECT_FALSE(Playing(0));
  EXPECT_EQ(Cursor(0), 600u);
  SSndMan::Play(&bank, 0, 65536, 0);
  EXPECT_EQ(Cursor(0), 0u);
  auto out = Render(2);
  auto ramp = Ramp(2);
  EXPECT_EQ(out[0], ramp[0]);
  EXPECT_EQ(out[2], ramp[1]);
}

TEST_F(SSndManTest, StopStopAllAndRestartOfAStream) {
  auto samples = Ramp(40000);
  auto wave = MakeWaveFile16(1, 44100, samples);
  ASSERT_EQ(Add(wave, SoundListLine{"m.wav", true, 0}), 0);
  ASSERT_EQ(Add(wave, SoundListLine{"s.wav", false, 0}), 0);
  SSndMan::Play(&bank, 0, 65536, 0);
  SSndMan::Play(&bank, 1, 65536, 0);
  for (int i = 0; i < 10; ++i, Render(3000)) SSndMan::StreamPass();
  SSndMan::StreamPass();
  SSndMan::Stop(&bank, 0);
  EXPECT_FALSE(Playing(0));
  EXPECT_TRUE(Playing(1));
  SSndMan::Stop(&bank, 7);   // out of range: nothing
  SSndMan::Play(&bank, 2, 65536, 0);
  SSndMan::Play(&bank, -1, 65536, 0);
  SSndMan::Play(nullptr, 0, 65536, 0);
  // A stopped stream restarts from the start of its data, primed again.
  SSndMan::Stop(&bank, 1);
  SSndMan::Play(&bank, 0, 65536, 0);
  SSndMan::StreamPass();
  auto out = Render(3000);
  for (int k = 0; k < 3000; ++k) ASSERT_EQ(out[2 * k], samples[k]) << k;
  SSndMan::StopAll(&bank);
  EXPECT_FALSE(Playing(0));
  EXPECT_FALSE(Playing(1));
}

TEST_F(SSndManTest, ReleasingABankRemovesEveryStreamAndBuffer) {
  auto wave = MakeWaveFile16(2, 22050, Ramp(40000));
  SoundBank other;
  ASSERT_EQ(Add(wave, SoundListLine{"a", true, 0}), 0);
  ASSERT_EQ(Add(wave, SoundListLine{"b", true, 0}, &other), 0);
  ASSERT_EQ(Add(wave, SoundListLine{"c", false, 0}), 0);
  ASSERT_EQ(Add(wave, SoundListLine{"d", true, 0}), 0);
  EXPECT_EQ(SSndMan::StreamCount(), 3u);
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 4u);
  SSndMan::Play(&bank, 0, 65536, 0);
  SSndMan::Play(&bank, 2, 65536, 0);
  SSndMan::ReleaseBank(&bank);
  EXPECT_ALL({VAL(SSndMan::Count(&bank), 0), VAL(SSndMan::StreamCount(), 1u),
              VAL(SSndMan::Device()->BufferCount(), 1u)});
  SSndMan::StreamPass();
  Render(100);
  SSndMan::ReleaseBank(&other);
  EXPECT_EQ(SSndMan::StreamCount(), 0u);
}

// The bytes a sound takes are charged before they are made: a static
// sound's buffer (its data: 1,000 bytes here), a streamed one's 64 KB
// buffer and then its copy of the samples (80,000 bytes). A charge refused
// makes nothing and says which part could not be made.
TEST_F(SSndManTest, EachSoundsBytesAreChargedBeforeTheyAreMade) {
  const auto shortWave = MakeWaveFile(1, 22050, 8, std::vector<uint8_t>(1000, 0xA0));
  const auto longWave = MakeWaveFile16(1, 44100, Ramp(40000));
  const SoundListLine still{"a.wav", false, 0}, streamed{"b.wav", true, 0};
  const struct {
    const char* what;
    const std::vector<uint8_t>& wave;
    SoundListLine line;
    uint64_t limit;
    int result;
    uint64_t used;  // charged afterwards
  } cases[] = {
      {"static, a byte short", shortWave, still, 999, kSoundErrorCreate, 0},
      {"static, exactly", shortWave, still, 1000, 0, 1000},
      {"streamed, its buffer a byte short", longWave, streamed, 65535, kSoundErrorCreate, 0},
      {"streamed, its samples a byte short", longWave, streamed, 65536 + 79999, kSoundErrorStreamAlloc, 65536},
      {"streamed, exactly", longWave, streamed, 65536 + 80000, 0, 65536 + 80000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SoundBank b;
    LoadBudget budget(c.limit);
    EXPECT_EQ(SSndMan::AddWave(&b, c.wave.data(), c.wave.size(), c.line, &budget), c.result);
    EXPECT_EQ(budget.Used(), c.used);
    EXPECT_EQ(SSndMan::Count(&b), c.result == 0 ? 1 : 0);
    EXPECT_EQ(SSndMan::Device()->BufferCount(), c.result == 0 ? 1u : 0u);
    EXPECT_EQ(SSndMan::StreamCount(), c.result == 0 && c.line.streamed ? 1u : 0u);
    SSndMan::ReleaseBank(&b);
  }
}

// A sound of a file the bank already holds is made without the file: a
// static one over the same memory (no bytes charged), a streamed one with a
// looping buffer of its own (64 KB charged) over the same samples, looping
// from its own loop start. Each plays and stops on its own.
TEST_F(SSndManTest, ASoundOfTheSameFileSharesItsSamples) {
  const auto samples = Ramp(40000);
  const auto longWave = MakeWaveFile16(1, 44100, samples);
  const auto shortWave = MakeWaveFile16(1, 44100, std::vector<int16_t>(300, 1234));
  LoadBudget budget;
  ASSERT_EQ(SSndMan::AddWave(&bank, shortWave.data(), shortWave.size(), {"a.wav", false, 0}, &budget), 0);
  ASSERT_EQ(SSndMan::AddWave(&bank, longWave.data(), longWave.size(), {"b.wav", true, 0}, &budget), 0);
  const uint64_t made = budget.Used();
  ASSERT_EQ(made, 600u + 65536 + 80000);
  ASSERT_EQ(SSndMan::AddShared(&bank, 0, {"a.wav", false, 0}, &budget), 0);
  EXPECT_EQ(budget.Used(), made);
  ASSERT_EQ(SSndMan::AddShared(&bank, 1, {"b.wav", true, 1000}, &budget), 0);
  EXPECT_EQ(budget.Used(), made + 65536);
  ASSERT_EQ(SSndMan::Count(&bank), 4);
  const SoundBufferEntry &a = *bank.entries[0], &a2 = *bank.entries[2], &b = *bank.entries[1], &b2 = *bank.entries[3];
  EXPECT_NE(a2.buffer, a.buffer);
  EXPECT_EQ(a2.buffer->Memory(), a.buffer->Memory());
  EXPECT_EQ(a2.streamData, nullptr);
  EXPECT_NE(b2.buffer, b.buffer);
  EXPECT_EQ(b2.streamData.get(), b.streamData.get());
  EXPECT_ALL({VAL(a2.buffer->Size(), 600u), VAL(a2.frameBytes, a.frameBytes), VAL(b2.buffer->Size(), kStreamBufferBytes),
              VAL(b2.dataSize, 80000u), VAL(b2.loopStart, 2000u), VAL(b.loopStart, 0u),
              VAL(SSndMan::StreamCount(), 2u), VAL(SSndMan::Device()->BufferCount(), 4u)});

  // The copy of the static sound plays its samples; the original stays still.
  SSndMan::Play(&bank, 2, 65536, 0);
  auto out = Render(400);
  EXPECT_ALL({VAL(out[0], 1234), VAL(out[2 * 299], 1234), VAL(out[2 * 300], 0), VAL(Playing(0), false)});
  // The second stream plays the same samples from the start and, once past
  // their end, loops to its own loop start.
  SSndMan::Play(&bank, 3, 65536, 0);
  SSndMan::StreamPass();
  for (uint32_t done = 0; done < 45000; done += 3000) {
    out = Render(3000);
    for (uint32_t k = 0; k < 3000; ++k) {
      const uint32_t f = done + k;
      ASSERT_EQ(out[2 * k], samples[f < 40000 ? f : 1000 + (f - 40000)]) << f;
    }
    SSndMan::StreamPass();
  }
  EXPECT_FALSE(Playing(1));

  // Nothing to share: an entry out of range, or one without a buffer.
  bank.entries.push_back(std::make_unique<SoundBufferEntry>());
  EXPECT_EQ(SSndMan::AddShared(&bank, 4, {"c.wav", false, 0}, &budget), kSoundErrorCreate);
  EXPECT_EQ(SSndMan::AddShared(&bank, 5, {"c.wav", false, 0}, &budget), kSoundErrorCreate);
  EXPECT_EQ(SSndMan::Count(&bank), 5);
  // A streamed copy past the budget makes nothing.
  LoadBudget full(65535);
  EXPECT_EQ(SSndMan::AddShared(&bank, 1, {"b.wav", true, 0}, &full), kSoundErrorCreate);
  EXPECT_EQ(SSndMan::Count(&bank), 5);
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 4u);
}

TEST(SSndManThread, KeepsAStreamFedAndStopsPromptly) {
  ASSERT_EQ(SSndMan::InitWithDevice(plat::SoundDevice::OpenNull(plat::NullMode::kManual), true), 0);
  EXPECT_TRUE(SSndMan::ThreadRunning());
  SoundBank bank;
  auto samples = Ramp(70000);
  auto wave = MakeWaveFile16(1, 44100, samples);
  ASSERT_EQ(SSndMan::AddWave(&bank, wave.data(), wave.size(), SoundListLine{"bgm", true, 0}), 0);
  SSndMan::Play(&bank, 0, 65536, 0);
  // After each step of the mix, wait until the thread has run two whole
  // passes, so it has seen the new cursor; a thread that stopped passing
  // fails the test after 5 seconds instead of hanging it.
  auto settle = [] {
    const uint64_t start = SSndMan::StreamPassCount();
    for (int ms = 0; SSndMan::StreamPassCount() < start + 2; ++ms) {
      if (ms >= 5000) return false;
      plat::SleepMs(1);
    }
    return true;
  };
  ASSERT_TRUE(settle());
  for (uint32_t done = 0; done < 90000; done += 4000) {
    std::vector<int16_t> out(4000 * 2);
    SSndMan::Device()->Render(out.data(), 4000);
    for (uint32_t k = 0; k < 4000; ++k) ASSERT_EQ(out[2 * k], samples[(done + k) % 70000]) << done + k;
    ASSERT_TRUE(settle()) << "no stream pass after " << done;
  }
  // Shutdown with the stream playing ends at once.
  const int64_t t0 = plat::PerfCounter();
  SSndMan::StopThread();
  const int64_t ms = (plat::PerfCounter() - t0) * 1000 / plat::PerfFrequency();
  EXPECT_LT(ms, 200);
  EXPECT_FALSE(SSndMan::ThreadRunning());
  SSndMan::StopThread();  // no thread: nothing
  SSndMan::ReleaseBank(&bank);
  SSndMan::ReleaseDevice();
}

TEST(SSndManThread, InitOpensADeviceAndCallsAfterReleaseDoNothing) {
  ASSERT_EQ(SSndMan::Init(nullptr), 0);
  ASSERT_NE(SSndMan::Device(), nullptr);
  SoundBank bank;
  auto wave = MakeWaveFile16(2, 48000, Ramp(96000));
  ASSERT_EQ(SSndMan::AddWave(&bank, wave.data(), wave.size(), SoundListLine{"bgm", true, 10}), 0);
  ASSERT_EQ(SSndMan::AddWave(&bank, wave.data(), wave.size(), SoundListLine{"se", false, 0}), 0);
  SSndMan::Play(&bank, 0, 65536, 0);
  SSndMan::Play(&bank, 1, 40000, -30000);
  plat::SleepMs(30);
  // A second start (the device created again) keeps the device and restarts
  // a stopped thread.
  plat::SoundDevice* device = SSndMan::Device();
  SSndMan::StopThread();
  ASSERT_EQ(SSndMan::Init(nullptr), 0);
  EXPECT_EQ(SSndMan::Device(), device);
  EXPECT_TRUE(SSndMan::ThreadRunning());
  EXPECT_EQ(SSndMan::Count(&bank), 2);
  SSndMan::Play(&bank, 1, 40000, 0);
  SSndMan::ReleaseDevice();  // the device and its buffers go first
  EXPECT_EQ(SSndMan::Device(), nullptr);
  EXPECT_FALSE(SSndMan::ThreadRunning());
  SSndMan::Play(&bank, 0, 65536, 0);
  SSndMan::Stop(&bank, 1);
  SSndMan::StopAll(&bank);
  SSndMan::ReleaseBank(&bank);
  EXPECT_EQ(SSndMan::Count(&bank), 0);
}

}  // namespace
