#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx_device.h"

// Decodes PNG and JPEG files held in memory into 8-bit RGBA (rows from the
// top). The format is told by the file's signature, not by its name. A file
// without alpha decodes as opaque; palette, grey and 16-bit PNGs are expanded.
namespace plat {

// Largest width or height accepted; larger images fail (a damaged header must
// not make the decoder allocate gigabytes).
constexpr int kMaxImageSide = 8192;
// Largest width x height accepted: 64 MB of RGBA.
constexpr uint64_t kMaxImagePixels = 16u * 1024u * 1024u;

// Whether a picture of w x h may be decoded: both sides 1 to kMaxImageSide
// and no more than kMaxImagePixels in all. Readers check the size their
// header claims before they make room for the pixels.
constexpr bool ImageSizeAllowed(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide && uint64_t(w) * uint64_t(h) <= kMaxImagePixels;
}

// Most memory the PNG library may hold at once while it decodes, beside the
// picture itself (which the decoder makes): its own state, the inflater and
// a few rows. An 8192-pixel row of 16-bit RGBA is 64 KB, so a whole decode
// needs well under 1 MB; a file whose decode would ask for more (only what
// a damaged or hostile file could make it keep) is refused.
constexpr size_t kMaxPngWorkBytes = size_t(4) << 20;

// How far past the compressed data of a PNG's rows the decoder reads at
// most. The end of the stream, the chunk's CRC, the short chunks a program
// may write after the picture and the end chunk lie within it, and a fault
// there refuses the picture as any other; whatever lies further (a stream
// that goes on after the rows: a gigabyte of zeros deflates into a
// megabyte) is neither read nor inflated, and the picture, its rows all
// made, is accepted without it.
constexpr size_t kPngReadPastRows = 8192;

enum class ImageFormat { kUnknown, kPng, kJpeg };
ImageFormat DetectImageFormat(const void* data, size_t size);

// The width and height a PNG or JPEG file's header claims, read without
// decoding the picture, so that a loader can account for the w x h x 4
// bytes of RGBA before they are made. False for unknown data, a header
// that cannot be read, and a file the decoder refuses from its header as
// too short for its picture (below); a size the decoders would refuse for
// itself is given as it is.
bool ReadImageSize(const void* data, size_t size, int* width, int* height);

// Whether the data is a JPEG whose header (read as ReadImageSize reads it)
// says its scans are arithmetic-coded.
bool IsArithmeticJpeg(const void* data, size_t size);

// Returns false and leaves `out` empty for damaged, truncated or unknown
// data, for a picture whose RGBA would take more than maxBytes (refused
// before any room is made for it), and when memory runs out; `error`
// (optional) receives a short reason. Throws nothing. A file that cannot
// hold the picture its header claims is refused from the header, before
// any room is made ("file too short for its picture"): a PNG whose raw rows
// would inflate more than 1032 to 1 from the bytes after its header chunk,
// a JPEG whose first scan has more 8 x 8 blocks than 8 times the bytes
// after its header. So the RGBA made is at most 33,024 bytes (PNG) or
// 32,768 bytes (JPEG) for each byte of file; an arithmetic-coded JPEG,
// whose coding may spend far less than a bit on a block, has no such bound
// and is bounded by the size of picture allowed alone. A JPEG whose scans
// would do more than 6 times the work of one plain pass over its blocks
// (a script that repeats bands or refines bits one scan at a time) is
// refused before its first scan is decoded.
bool DecodeImage(const void* data, size_t size, Image* out, std::string* error = nullptr,
                 uint64_t maxBytes = kMaxImagePixels * 4);

}  // namespace plat
