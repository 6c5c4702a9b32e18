// Software mixing cost: 32 looping voices of 22,050 Hz 16-bit mono (volumes
// and pans all different) mixed into 44,100 Hz 16-bit stereo in blocks of
// 1024 output frames, as the audio callback asks for them. Reports the share
// of one core the mix takes while playing in real time (core_pct; goal: under
// 2 %). A second case mixes 8-bit stereo at 11,025 Hz for comparison.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/sound_device.h"

namespace {

void MixVoices(benchmark::State& state, uint16_t channels, uint32_t rate, uint16_t bits) {
  auto dev = plat::SoundDevice::OpenNull(plat::NullMode::kManual);
  const int voices = static_cast<int>(state.range(0));
  plat::SRand(7);
  for (int v = 0; v < voices; ++v) {
    plat::SoundBuffer* b = nullptr;
    const uint32_t bytes = rate * channels * bits / 8;  // one second each
    dev->CreateSoundBuffer(plat::MakePcmFormat(channels, rate, bits), bytes, &b);
    void* p1;
    uint32_t n1;
    b->Lock(0, 0, &p1, &n1, nullptr, nullptr, plat::kSoundLockEntireBuffer);
    auto* d = static_cast<uint8_t*>(p1);
    for (uint32_t i = 0; i < n1; ++i) d[i] = static_cast<uint8_t>(plat::Rand());
    b->Unlock(p1, n1, nullptr, 0);
    b->SetVolume(-(plat::Rand() % 3000));
    b->SetPan(plat::Rand() % 4001 - 2000);
    b->SetCurrentPosition((plat::Rand() % 1000) * channels * bits / 8);
    b->Play(plat::kSoundPlayLooping);
  }
  constexpr uint32_t kBlock = 1024;
  std::vector<int16_t> out(kBlock * 2);
  int64_t blocks = 0;
  const int64_t t0 = plat::PerfCounter();
  for (auto _ : state) {
    dev->Render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    ++blocks;
  }
  const double spent = static_cast<double>(plat::PerfCounter() - t0) / plat::PerfFrequency();
  const double played = static_cast<double>(blocks) * kBlock / plat::kMixRate;
  state.counters["core_pct"] = played > 0 ? 100.0 * spent / played : 0.0;
  state.SetItemsProcessed(blocks * kBlock);
}

void BM_Mix22kMono16(benchmark::State& state) { MixVoices(state, 1, 22050, 16); }
void BM_Mix11kStereo8(benchmark::State& state) { MixVoices(state, 2, 11025, 8); }

BENCHMARK(BM_Mix22kMono16)->Arg(32)->Arg(1);
BENCHMARK(BM_Mix11kStereo8)->Arg(32);

}  // namespace

BENCHMARK_MAIN();
