#include "vrax/sound/WaveFile.h"

#include <cstdint>
#include <cstring>

#include "platform/byte_order.h"

namespace {

// Whether the four bytes at `off` can be a chunk's name: printable ASCII,
// the first not a blank. A pad byte (0) never begins one.
bool ChunkNameAt(const uint8_t* data, size_t size, uint64_t off) {
  if (off + 4 > size) return false;
  for (int i = 0; i < 4; ++i)
    if (data[off + i] < (i == 0 ? 0x21 : 0x20) || data[off + i] > 0x7E) return false;
  return true;
}

// Where the chunk after the one at `off` begins: past its id, its size,
// its bytes and, when the size is odd, its pad byte. Some writers leave the
// pad byte out: where the byte after an odd chunk begins a chunk's name,
// the next chunk is read there. Never wraps: at most 2^32 + 8 past `off`.
uint64_t NextChunk(const uint8_t* data, size_t size, uint64_t off) {
  const uint64_t bytes = plat::ReadLe32(data + off + 4);
  const uint64_t end = off + 8 + bytes;
  if ((bytes & 1) != 0 && ChunkNameAt(data, size, end)) return end;
  return end + (bytes & 1);
}

}  // namespace

WaveError ParseWave(const uint8_t* data, size_t size, WaveInfo* out) {
  *out = WaveInfo{};
  if (data == nullptr || size < 12) return WaveError::kHeader;
  if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return WaveError::kHeader;
  uint64_t off = 12;
  for (;;) {
    if (off + 8 > size) return WaveError::kHeader;  // no "fmt " chunk
    if (std::memcmp(data + off, "fmt ", 4) == 0) break;
    if (std::memcmp(data + off, "data", 4) == 0) return WaveError::kHeader;  // samples without their format
    off = NextChunk(data, size, off);
  }
  const uint32_t fmtSize = plat::ReadLe32(data + off + 4);
  // The fields read must lie inside the chunk and the file.
  if (fmtSize < 16 || off + 8 + 16 > size) return WaveError::kHeader;
  const uint8_t* fields = data + off + 8;
  WaveInfo w;
  w.formatTag = plat::ReadLe16(fields);
  w.channels = plat::ReadLe16(fields + 2);
  w.sampleRate = plat::ReadLe32(fields + 4);
  w.bitsPerSample = plat::ReadLe16(fields + 14);
  w.blockSize = static_cast<uint16_t>(static_cast<uint32_t>(w.channels) * w.bitsPerSample / 8);
  w.bytesPerSecond = static_cast<uint32_t>(static_cast<uint64_t>(w.blockSize) * w.sampleRate);

  off = NextChunk(data, size, off);
  for (int i = 0; i < kWaveDataSearchChunks; ++i) {
    if (off + 8 > size) return WaveError::kNoData;
    if (std::memcmp(data + off, "data", 4) == 0) {
      const uint64_t start = off + 8;
      uint64_t bytes = plat::ReadLe32(data + off + 4);
      // A file cut short: its samples end before the chunk does.
      if (bytes > size - start || start + bytes > UINT32_MAX) return WaveError::kNoData;
      if (w.blockSize > 0) bytes -= bytes % w.blockSize;
      if (bytes == 0) return WaveError::kNoData;
      w.dataOffset = static_cast<uint32_t>(start);
      w.dataSize = static_cast<uint32_t>(bytes);
      *out = w;
      return WaveError::kNone;
    }
    off = NextChunk(data, size, off);
  }
  return WaveError::kNoData;
}
