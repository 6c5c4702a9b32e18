#pragma once
// Large files for the list targets' cache, small to hold: pictures of one
// colour (testsupport::FlatPng), whole or cut short after their first rows
// (a PNG whose header claims 4096 x 4096, 64 MB of pixels, in a few hundred
// bytes), and wave files of one sample value held LZ-packed, so that a list
// may name files whose sounds and textures reach the loader's budget when
// made again and again, while each input costs little to set up.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/image_files.h"
#include "vrax/io/SLzCodec.h"
#include "vrax/sound/WavWriter.h"

namespace fuzzsupport {

// A stereo 16-bit wave of `bytes` bytes of samples, all `value`, as an LZ
// block (a cache entry held packed).
inline std::vector<uint8_t> PackedWave(uint32_t bytes, int16_t value) {
  const std::vector<uint8_t> wave = MakeWaveFile16(2, 44100, std::vector<int16_t>(bytes / 2, value));
  SLzCodec lz;
  // Level 4, the longest matches: 4 MB of one value pack into 12 KB.
  if (lz.Compress(wave.data(), static_cast<uint32_t>(wave.size()), 4) < 0) __builtin_trap();
  return std::vector<uint8_t>(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
}

}  // namespace fuzzsupport
