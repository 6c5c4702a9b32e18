#pragma once
// Large files for the list targets' cache, small to hold: pictures of one
// colour, whole or cut short after their first rows (a PNG whose header
// claims 4096 x 4096, 64 MB of pixels, in a few hundred bytes), and wave
// files of one sample value held LZ-packed, so that a list may name files
// whose sounds and textures reach the loader's budget when made again and
// again, while each input costs little to set up.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vrax/io/SLzCodec.h"
#include "vrax/sound/WavWriter.h"

namespace fuzzsupport {

// A PNG of w x h pixels of one colour (8-bit RGBA, rows unfiltered), its
// data deflated a row at a time; only the first `rows` rows are there (a
// file cut short when fewer than h).
inline std::vector<uint8_t> FlatPng(uint32_t w, uint32_t h, uint32_t argb, uint32_t rows) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  const auto chunk = [&png](const char* type, const std::vector<uint8_t>& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    for (int s : {24, 16, 8, 0}) png.push_back(static_cast<uint8_t>(n >> s));
    const size_t at = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0, png.data() + at, static_cast<uInt>(png.size() - at)));
    for (int s : {24, 16, 8, 0}) png.push_back(static_cast<uint8_t>(crc >> s));
  };
  std::vector<uint8_t> ihdr;
  for (uint32_t v : {w, h})
    for (int s : {24, 16, 8, 0}) ihdr.push_back(static_cast<uint8_t>(v >> s));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  chunk("IHDR", ihdr);
  std::vector<uint8_t> row(1 + size_t{w} * 4);
  for (size_t x = 1; x < row.size(); x += 4) {
    row[x] = static_cast<uint8_t>(argb >> 16);
    row[x + 1] = static_cast<uint8_t>(argb >> 8);
    row[x + 2] = static_cast<uint8_t>(argb);
    row[x + 3] = static_cast<uint8_t>(argb >> 24);
  }
  z_stream z{};
  deflateInit(&z, Z_BEST_SPEED);
  std::vector<uint8_t> idat;
  uint8_t buffer[65536];
  for (uint32_t y = 0; y <= rows; ++y) {
    const bool last = y == rows;
    z.next_in = last ? nullptr : row.data();
    z.avail_in = last ? 0 : static_cast<uInt>(row.size());
    int r = Z_OK;
    do {
      z.next_out = buffer;
      z.avail_out = sizeof buffer;
      r = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      idat.insert(idat.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    } while (z.avail_out == 0 || (last && r == Z_OK));
  }
  deflateEnd(&z);
  chunk("IDAT", idat);
  chunk("IEND", {});
  return png;
}

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
