// libFuzzer entry point: RIFF WAVE parsing and the bank's buffer creation
// from whatever the parser accepts.
#include <cstddef>
#include <cstdint>

#include "platform/sound_device.h"
#include "vrax/sound/SSndMan.h"
#include "vrax/sound/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready =
      SSndMan::InitWithDevice(plat::SoundDevice::OpenNull(plat::NullMode::kManual), false) == 0;
  (void)ready;
  WaveInfo info;
  if (ParseWave(data, size, &info) == WaveError::kNone) {
    if (info.dataOffset + static_cast<uint64_t>(info.dataSize) > size) __builtin_trap();
  }
  SoundBank bank;
  const bool streamed = size > 0 && (data[0] & 1);
  SSndMan::AddWave(&bank, data, size, SoundListLine{"x.wav", streamed, size > 1 ? data[1] * 97 : 0});
  SSndMan::Play(&bank, 0, 65536, 0);
  SSndMan::StreamPass();
  SSndMan::Device()->Render(nullptr, 256);
  SSndMan::StreamPass();
  SSndMan::ReleaseBank(&bank);
  return 0;
}
