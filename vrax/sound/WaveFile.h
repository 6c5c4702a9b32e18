#pragma once
#include <cstddef>
#include <cstdint>

// RIFF WAVE parsing: "RIFF" at 0, "WAVE" at 8, the "fmt " chunk at 12 with its
// size at 16 and the format fields from 20 (tag, channels, rate; the bits per
// sample at 34). The "data" chunk is looked for from the chunk after "fmt "
// on, among that chunk and the seven after it, stepping by chunk sizes.
// Block size and bytes per second are computed from the fields, not read.
struct WaveInfo {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
  uint16_t blockSize = 0;       // channels x bits / 8
  uint32_t bytesPerSecond = 0;  // blockSize x sampleRate
  uint32_t dataOffset = 0;      // first sample byte in the file
  uint32_t dataSize = 0;        // sample bytes, within the file, whole frames
};

enum class WaveError {
  kNone,
  kHeader,  // not RIFF WAVE with "fmt " first, or the format fields do not fit
  kNoData,  // no "data" chunk among the eight searched, one that runs past the
            // end of the file, or no whole frame in it
};

constexpr int kWaveDataSearchChunks = 8;

// Never reads outside [data, data + size). A "data" chunk whose size runs past
// the end of the file is a file cut short: kNoData.
WaveError ParseWave(const uint8_t* data, size_t size, WaveInfo* out);
