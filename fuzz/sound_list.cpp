// libFuzzer entry point: the input as a sound list (".sr"), loaded by the
// sound resource as the game loads it: every line it reads queues its wave
// file, one a frame, and makes a sound. The lists may name "a.wav" (static)
// and "b.wav" (long enough to stream), which the I/O manager's cache holds;
// other names are missing. So the fuzzer's time and memory limits hold the
// loader's whole cost, not only the parse.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/loader_world.h"
#include "vrax/resource/SRsc_Sound.h"
#include "vrax/sound/WavWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::LoaderWorld& world = fuzzsupport::LoaderWorld::Get();
  static const fuzzsupport::LoaderWorld::Files kWaves = {
      {"\\f\\a.wav", MakeWaveFile16(1, 22050, std::vector<int16_t>(300, 1200))},
      {"\\f\\b.wav", MakeWaveFile16(2, 22050, std::vector<int16_t>(40000, -700))},
  };
  fuzzsupport::LoaderWorld::Files files = kWaves;
  files.emplace_back("\\f\\list.sr", std::vector<uint8_t>(data, data + size));
  SRsc* r = world.Load(RscTag("SND"), "\\f\\list", files);
  if (r == nullptr) __builtin_trap();
  if (!r->IsSettled()) __builtin_trap();
  if (static_cast<size_t>(SSndMan::Count(r)) > kMaxSoundListLines) __builtin_trap();
  for (int32_t n = 0; n < SSndMan::Count(r); ++n) SSndMan::Play(r, n, 65536, 0);
  SSndMan::StreamPass();
  SSndMan::Device()->Render(nullptr, 256);
  world.Release();
  return 0;
}
