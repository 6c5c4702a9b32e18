#include "vrax/sound/WaveFile.h"

#include <cstring>

#include "platform/byte_order.h"

WaveError ParseWave(const uint8_t* data, size_t size, WaveInfo* out) {
  *out = WaveInfo{};
  if (data == nullptr || size < 36) return WaveError::kHeader;
  if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0 ||
      std::memcmp(data + 12, "fmt ", 4) != 0)
    return WaveError::kHeader;
  const uint32_t fmtSize = plat::ReadLe32(data + 16);
  if (fmtSize < 16) return WaveError::kHeader;  // the fields read would lie outside it
  WaveInfo w;
  w.formatTag = plat::ReadLe16(data + 20);
  w.channels = plat::ReadLe16(data + 22);
  w.sampleRate = plat::ReadLe32(data + 24);
  w.bitsPerSample = plat::ReadLe16(data + 34);
  w.blockSize = static_cast<uint16_t>(static_cast<uint32_t>(w.channels) * w.bitsPerSample / 8);
  w.bytesPerSecond = static_cast<uint32_t>(static_cast<uint64_t>(w.blockSize) * w.sampleRate);

  uint64_t off = 20ull + fmtSize;
  for (int i = 0; i < kWaveDataSearchChunks; ++i) {
    if (off + 8 > size) return WaveError::kNoData;
    const uint32_t chunkSize = plat::ReadLe32(data + off + 4);
    if (std::memcmp(data + off, "data", 4) == 0) {
      const uint64_t start = off + 8;
      uint64_t bytes = chunkSize;
      // A file cut short: its samples end before the chunk does.
      if (bytes > size - start) return WaveError::kNoData;
      if (w.blockSize > 0) bytes -= bytes % w.blockSize;
      if (bytes == 0) return WaveError::kNoData;
      w.dataOffset = static_cast<uint32_t>(start);
      w.dataSize = static_cast<uint32_t>(bytes);
      *out = w;
      return WaveError::kNone;
    }
    off += 8ull + chunkSize;
  }
  return WaveError::kNoData;
}
