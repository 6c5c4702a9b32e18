#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx_device.h"

// DirectDraw surface files (".dds"): the top level of a 2-D surface, either
// uncompressed (RGB with or without alpha, luminance, alpha only; 8 to 32
// bits per pixel, any channel masks) or DXT1, DXT3 or DXT5 compressed (the
// blocks decoded by libsquish). Decodes into 8-bit RGBA, rows from the top.
namespace plat {

// Returns false and leaves `out` empty for a damaged, truncated or
// unsupported file, and when memory runs out; `error` (optional) receives a
// short reason.
bool DecodeDds(const void* data, size_t size, Image* out, std::string* error = nullptr);

// Layouts the writer can produce.
enum class DdsLayout { kA8R8G8B8, kDxt1, kDxt5 };
// A file of one level from RGBA pixels (the data generator's stand-in images).
std::vector<uint8_t> EncodeDds(const Image& image, DdsLayout layout);

// A BMP file held in memory, decoded by SDL's loader into RGBA (rows from
// the top). The size its header claims is checked first (sides and pixel
// count as DecodeImage allows them; uncompressed pixels all present; no more
// run-length pixels than their data can set; no other compression), so a
// damaged header is refused before any room is made for its pixels;
// run-length codes must reach their end code within twice the picture's
// pixels (in codes and in pixels set). Returns false and leaves `out` empty
// otherwise, and when memory runs out; `error` (optional) receives a short
// reason.
bool DecodeBmp(const void* data, size_t size, Image* out, std::string* error = nullptr);
// The width and height a BMP file's header claims, after the checks above,
// without decoding: for a caller that bounds the picture's size before it
// is made. False (with `error`, optional) where DecodeBmp refuses the header.
bool ReadBmpSize(const void* data, size_t size, int* width, int* height, std::string* error = nullptr);

}  // namespace plat
