#pragma once
// Picture files cut short, and the check that a reader refuses every cut at
// a cost that follows the bytes it was given, not the size its header
// claims.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx_device.h"

namespace testsupport {

// A picture reader under test: its decoder and, where it has one, the
// reader of the size a header claims (what a loader charges before it
// decodes).
struct PictureReader {
  const char* what;
  bool (*decode)(const uint8_t* data, size_t size, plat::Image* out);
  bool (*readSize)(const uint8_t* data, size_t size, int* w, int* h);  // null: none
};

// The PNG and JPEG decoder and ReadImageSize; the BMP reader and its
// ReadBmpSize; the DDS reader (no size reader).
extern const PictureReader kImageReader, kBmpReader, kDdsReader;

// Every length of a file of `size` bytes from 1 to size - 1.
std::vector<size_t> EveryCut(size_t size);
// `count` lengths from 1 to size - 1 drawn from `seed` (the same each run).
std::vector<size_t> SeededCuts(size_t size, int count, uint32_t seed);

// The first n bytes of `file` for each n of `cuts`, each a copy of its own
// (so that the sanitizer sees a read past the cut). Each must be refused:
// no picture, nothing left in the output, no block asked of `new` larger
// than rgbaPerByte x n and kCutSlack besides (the picture, its rows), and a
// size read from its header, where the reader reads one, of no more than
// rgbaPerByte x n bytes of RGBA. rgbaPerByte is the most RGBA a byte of
// such a file may hold, worked out from its format.
void ExpectCutsRefused(const PictureReader& reader, const std::vector<uint8_t>& file, uint64_t rgbaPerByte,
                       const std::vector<size_t>& cuts);
constexpr uint64_t kCutSlack = 64u << 10;

}  // namespace testsupport
