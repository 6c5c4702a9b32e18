#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The engine's LZ77-style compressor. Turns a byte buffer into one
// self-describing block and back.
//
// Block, little-endian:
//   0  u16 version (1)       2  i16 level (1..5)
//   4  u32 total = 20 + A + B
//   8  u32 A, token stream size     12 u32 B, literal stream size
//   16 u32 unpacked size
//   20 token stream (A bytes), then the literal stream (B bytes).
// The output is a sequence of literal runs, each (unless the output is then
// complete) followed by one match of distance D >= 4 and length L >= 4.
// Level 1 writes run lengths as 7-bit groups (most significant first, bit 7
// set on all but the last byte) and D - 4, L - 4 as one byte each. Levels 2
// to 4 write a bit stream (most significant bit first) of start-step-stop
// codes: runs (3, 2, 16), D - 4 and L - 4 (4, 2, level - 1). Level 5 holds
// literals only.
class SLzCodec {
 public:
  static constexpr uint32_t kHeaderSize = 20;
  static constexpr int32_t kMinLevel = 1;
  static constexpr int32_t kMaxLevel = 5;

  SLzCodec() = default;
  virtual ~SLzCodec() = default;
  SLzCodec(const SLzCodec&) = delete;
  SLzCodec& operator=(const SLzCodec&) = delete;

  // Takes a copy of a block of at most `available` bytes. Null: clears and
  // returns 0. -1 (nothing held) when the header is bad (version, total 0,
  // total != 20 + A + B) or the block is longer than the bytes available.
  virtual int32_t SetPacked(const void* block, size_t available);
  // Compresses size bytes at the level and holds the new block. 0, or -1 for
  // a level outside 1..5 or when memory runs out (nothing held then).
  virtual int32_t Compress(const void* source, uint32_t size, int32_t level);
  // Writes the unpacked bytes of the held block into destination, which
  // holds `capacity` bytes. 0, or -1 when no block is held, the header or a
  // stream is bad (short, overrunning the output, reaching before its start)
  // or the unpacked size exceeds the capacity.
  virtual int32_t Decompress(void* destination, size_t capacity) const;

  uint32_t GetUnpackedSize() const { return unpackedSize_; }
  const uint8_t* GetPackedData() const { return block_.empty() ? nullptr : block_.data(); }
  uint32_t GetPackedSize() const { return packedSize_; }
  void Clear();

  // Checks a block header in place: 0 and the sizes, or -1.
  struct Header {
    uint16_t version;
    int16_t level;
    uint32_t total, tokenSize, literalSize, unpackedSize;
  };
  static int32_t ReadHeader(const void* block, size_t available, Header* out);
  // Decodes a block held elsewhere (same checks and result as Decompress).
  static int32_t DecodeBlock(const void* block, size_t available, void* destination, size_t capacity);

  // Largest match distance of a level (0 for level 5 or an unknown level).
  static uint32_t Window(int32_t level);

 private:
  uint32_t unpackedSize_ = 0;
  uint32_t packedSize_ = 0;
  std::vector<uint8_t> block_;
};
