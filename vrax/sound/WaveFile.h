#pragma once
#include <cstddef>
#include <cstdint>

// RIFF WAVE parsing: "RIFF" at 0, "WAVE" at 8, then chunks from 12 on, each
// an id, a size and that many bytes, and a pad byte after a chunk of odd
// size (or, where a writer left it out, none: the next chunk is read at the
// odd offset when a chunk's name stands there). Chunks are read in any order up to the "fmt " chunk (a "JUNK" or
// "LIST" chunk often comes first); its format fields are the tag, channels
// and rate from its byte 0, the bits per sample at its byte 14. The "data"
// chunk is looked for from the chunk after "fmt " on, among that chunk and
// the seven after it; one before "fmt " has no format and is refused.
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
  kHeader,  // not RIFF WAVE, no "fmt " chunk before the samples, or its
            // format fields do not fit in it or in the file
  kNoData,  // no "data" chunk among the eight searched, one that runs past the
            // end of the file, or no whole frame in it
};

constexpr int kWaveDataSearchChunks = 8;

// Never reads outside [data, data + size). The walk to "fmt " steps over 8
// bytes at least a chunk, so it looks at no more than size / 8 chunks. A
// "data" chunk whose size runs past the end of the file is a file cut
// short: kNoData; its own pad byte may be missing at the end of the file.
WaveError ParseWave(const uint8_t* data, size_t size, WaveInfo* out);
