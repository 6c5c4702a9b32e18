// libFuzzer entry point: the input as a sound list (".sr"), loaded by the
// sound resource as the game loads it: every line it reads queues its wave
// file, one a frame, and makes a sound. The lists may name "a.wav" (static)
// and "b.wav" (long enough to stream), and "c.wav" and "d.wav" (1 MB and
// 4 MB of samples, held packed), which the I/O manager's cache holds; other
// names are missing. So the fuzzer's time and memory limits hold the
// loader's whole cost, not only the parse. The memory the bank's sounds
// play from, each buffer's and each stream's counted once however many
// sounds share it, must fit the loader's budget (c.wav made for each of 128
// lines would pass it).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/large_files.h"
#include "fuzz/loader_world.h"
#include "platform/sound_device.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/resource/SRsc_Sound.h"
#include "vrax/sound/WavWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::LoaderWorld& world = fuzzsupport::LoaderWorld::Get();
  static const std::vector<fuzzsupport::LoaderWorld::Entry> kWaves = {
      {"\\f\\a.wav", MakeWaveFile16(1, 22050, std::vector<int16_t>(300, 1200)), false},
      {"\\f\\b.wav", MakeWaveFile16(2, 22050, std::vector<int16_t>(40000, -700)), false},
      {"\\f\\c.wav", fuzzsupport::PackedWave(1u << 20, 900), true},
      {"\\f\\d.wav", fuzzsupport::PackedWave(4u << 20, -900), true},
  };
  std::vector<fuzzsupport::LoaderWorld::Entry> files = kWaves;
  files.push_back({"\\f\\list.sr", std::vector<uint8_t>(data, data + size), false});
  SRsc* r = world.Load(RscTag("SND"), "\\f\\list", files);
  if (r == nullptr) __builtin_trap();
  if (!r->IsSettled()) __builtin_trap();
  if (static_cast<size_t>(SSndMan::Count(r)) > kMaxSoundListLines) __builtin_trap();
  std::vector<const void*> held;
  uint64_t bytes = 0;
  for (const auto& e : static_cast<SRsc_Sound*>(r)->Bank()->entries) {
    if (e->buffer != nullptr && std::find(held.begin(), held.end(), e->buffer->Memory()) == held.end()) {
      held.push_back(e->buffer->Memory());
      bytes += e->buffer->Size();
    }
    if (e->streamData != nullptr && std::find(held.begin(), held.end(), e->streamData.get()) == held.end()) {
      held.push_back(e->streamData.get());
      bytes += e->dataSize;
    }
  }
  if (bytes > kMaxResourceBytes) __builtin_trap();
  for (int32_t n = 0; n < SSndMan::Count(r); ++n) SSndMan::Play(r, n, 65536, 0);
  SSndMan::StreamPass();
  SSndMan::Device()->Render(nullptr, 256);
  // Released, the resource gave back all it charged to the shared total,
  // its files and copies too (Release traps otherwise).
  world.Release();
  return 0;
}
