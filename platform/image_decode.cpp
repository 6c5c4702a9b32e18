#include "platform/image_decode.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <png.h>

namespace plat {
namespace {

void SetError(std::string* error, const char* text) {
  if (error) *error = text;
}

// ---------------------------------------------------------------- PNG
// The file is handed to the library's progressive reader a piece at a time,
// and the reader stops soon after the picture's rows are all made: a stream
// that goes on after them (a gigabyte of zeros deflates into a megabyte) is
// not inflated, and nothing far past them is read.
constexpr size_t kPngPieceBytes = kPngReadPastRows / 2;

struct PngReader {
  char message[128];
  size_t fileSize;
  size_t live;   // bytes the library holds now
  bool overrun;  // it asked to hold more than kMaxPngWorkBytes
  uint64_t maxBytes;
  Image* out;
  std::vector<png_bytep>* rows;
  bool interlaced;
  bool ended;  // the file's end chunk was read
};

void PngError(png_structp png, png_const_charp msg) {
  auto* r = static_cast<PngReader*>(png_get_error_ptr(png));
  std::snprintf(r->message, sizeof r->message, "png: %s", msg);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// The library's memory, counted: each block carries its size in front of
// it, and a request that would take the library past kMaxPngWorkBytes is
// refused (the library then stops, or drops what it wanted to keep, and the
// decode fails below).
constexpr size_t kPngBlockHead = alignof(std::max_align_t);

png_voidp PngMalloc(png_structp png, png_alloc_size_t bytes) {
  auto* r = static_cast<PngReader*>(png_get_mem_ptr(png));
  if (bytes > kMaxPngWorkBytes - r->live) {
    r->overrun = true;
    return nullptr;
  }
  auto* block = static_cast<uint8_t*>(std::malloc(kPngBlockHead + bytes));
  if (!block) return nullptr;
  std::memcpy(block, &bytes, sizeof bytes);
  r->live += bytes;
  return block + kPngBlockHead;
}

void PngFree(png_structp png, png_voidp p) {
  if (!p) return;
  auto* r = static_cast<PngReader*>(png_get_mem_ptr(png));
  uint8_t* block = static_cast<uint8_t*>(p) - kPngBlockHead;
  png_alloc_size_t bytes = 0;
  std::memcpy(&bytes, block, sizeof bytes);
  r->live -= bytes;
  std::free(block);
}

// Deflate's densest code spends 2 bits on 258 bytes (a 1-bit code for a
// match of the longest length, 258, and a 1-bit code for its distance), so
// a stream inflates to at most 1032 times its own bytes.
constexpr uint64_t kInflatedMostPerByte = 1032;
// The signature (8 bytes) and the header chunk (its length, type, 13 bytes
// of data and CRC) come before anything of the picture's stream.
constexpr size_t kPngHeaderEnd = 33;

// The bytes of a PNG's raw rows, as the stream inflates to them: a filter
// byte and the row's pixels at the file's bit depth for each row of each
// pass (an interlaced picture's seven passes summed; a pass without columns
// or rows takes none). 0 for a colour type that is not PNG's.
uint64_t PngRawRowBytes(uint32_t w, uint32_t h, int depth, int colourType, bool interlaced) {
  uint64_t channels = 0;
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: channels = 1; break;
    case PNG_COLOR_TYPE_RGB: channels = 3; break;
    case PNG_COLOR_TYPE_PALETTE: channels = 1; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: channels = 2; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: channels = 4; break;
    default: return 0;
  }
  const uint64_t bits = channels * uint64_t(depth);
  const auto pass = [&](uint32_t x0, uint32_t dx, uint32_t y0, uint32_t dy) -> uint64_t {
    if (w <= x0 || h <= y0) return 0;
    const uint64_t columns = (w - x0 + dx - 1) / dx, rows = (h - y0 + dy - 1) / dy;
    return rows * (1 + (columns * bits + 7) / 8);
  };
  if (!interlaced) return pass(0, 1, 0, 1);
  return pass(0, 8, 0, 8) + pass(4, 8, 0, 8) + pass(0, 4, 4, 8) + pass(2, 4, 0, 4) + pass(0, 2, 2, 4) +
         pass(1, 2, 0, 2) + pass(0, 1, 1, 2);
}

// Whether a file of `size` bytes can hold a picture of that many bytes of
// raw rows: a file that cannot is refused from its header, before anything
// is charged or made for the picture, so that a file costs what its own
// bytes can hold (4 bytes of RGBA for each byte of 8-bit RGBA rows, 32 for
// each of 1-bit grey ones: at most 33,024 times the file's bytes).
bool PngFileHoldsRows(uint64_t rawRowBytes, size_t size) {
  return size > kPngHeaderEnd && rawRowBytes <= kInflatedMostPerByte * (size - kPngHeaderEnd);
}

// The header and the chunks before the data are read: the size is checked,
// the transformations to 8-bit RGBA are set and the picture is made.
void PngHaveInfo(png_structp png, png_infop info) {
  auto* r = static_cast<PngReader*>(png_get_progressive_ptr(png));
  png_uint_32 w = 0, h = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colourType, &interlace, nullptr, nullptr);
  if (!ImageSizeAllowed(w, h)) png_error(png, "image too large");
  if (uint64_t{w} * h * 4 > r->maxBytes) png_error(png, "picture larger than the bytes allowed for it");
  if (!PngFileHoldsRows(PngRawRowBytes(w, h, depth, colourType, interlace != PNG_INTERLACE_NONE), r->fileSize))
    png_error(png, "file too short for its picture");

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // no-op when alpha is present
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "unexpected row size");

  bool made = true;
  try {
    r->out->rgba.assign(static_cast<size_t>(w) * h * 4, 0);
    r->rows->resize(h);
  } catch (const std::bad_alloc&) {
    made = false;
  }
  if (!made) png_error(png, "out of memory");
  r->out->width = static_cast<int>(w);
  r->out->height = static_cast<int>(h);
  r->interlaced = interlace != PNG_INTERLACE_NONE;
  for (png_uint_32 y = 0; y < h; ++y) (*r->rows)[y] = r->out->rgba.data() + static_cast<size_t>(y) * w * 4;
}

// A row of the picture, or of one pass over it (the library combines the
// passes of an interlaced picture; a row a pass leaves alone comes as null).
void PngHaveRow(png_structp png, png_bytep row, png_uint_32 y, int) {
  auto* r = static_cast<PngReader*>(png_get_progressive_ptr(png));
  if (row && y < r->rows->size()) png_progressive_combine_row(png, (*r->rows)[y], row);
}

void PngHaveEnd(png_structp png, png_infop) { static_cast<PngReader*>(png_get_progressive_ptr(png))->ended = true; }

// A PNG's header chunk comes first: its length (13) and type at bytes 8 to
// 15, the width and height (big-endian) at 16 and 20.
bool ReadPngSides(const uint8_t* data, size_t size, uint32_t* width, uint32_t* height) {
  if (size < 24 || std::memcmp(data + 8, "\0\0\0\x0dIHDR", 8) != 0) return false;
  const auto be32 = [](const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
  };
  *width = be32(data + 16);
  *height = be32(data + 20);
  return true;
}

// The sides, then the bit depth and colour type at 24 and 25 and the
// interlace method at 28: a file that cannot hold the rows they make is
// refused, as the decoder refuses it.
bool ReadPngSize(const uint8_t* data, size_t size, int* width, int* height) {
  uint32_t w = 0, h = 0;
  if (size < 29 || !ReadPngSides(data, size, &w, &h) || w > INT32_MAX || h > INT32_MAX) return false;
  const int depth = data[24];
  if ((depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) || data[28] > 1) return false;
  const uint64_t rows = PngRawRowBytes(w, h, depth, data[25], data[28] == 1);
  if (rows == 0 || !PngFileHoldsRows(rows, size)) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

// Most bytes a PNG may take before its rows are made (the chunks' lengths,
// types and CRCs, and the data of those the library reads): twice the rows'
// bytes as 16-bit RGBA (stored blocks hold their bytes and a little more),
// 2 KB for each row of each pass for the blocks, flushes and chunks a writer
// may begin there (an interlaced picture has fewer than two rows in its
// passes for each of its own), and 256 KB besides. A file that takes more
// is padded or damaged (empty blocks or chunks by the ten thousand) and is
// refused.
uint64_t PngBytesBeforeRowsMax(const uint8_t* data, size_t size) {
  constexpr uint64_t kBesides = 256u << 10;
  uint32_t w = 0, h = 0;
  if (!ReadPngSides(data, size, &w, &h)) return kBesides;
  return 2 * uint64_t(h) * (1 + 8 * uint64_t(w)) + 4096 * uint64_t(h) + kBesides;
}

// Whether the last row (of the last pass) is made.
bool PngRowsDone(png_structp png, const PngReader& r) {
  if (r.rows->empty()) return false;
  return r.interlaced ? png_get_current_pass_number(png) >= 7 : png_get_current_row_number(png) >= r.rows->size();
}

bool DecodePng(const uint8_t* data, size_t size, Image* out, std::string* error, uint64_t maxBytes) {
  // The header chunk comes first in a PNG. The library's reader would take
  // chunks it does not know before it and read the picture of a header
  // chunk further on, which ReadImageSize (and the format) refuses.
  uint32_t sideW = 0, sideH = 0;
  if (!ReadPngSides(data, size, &sideW, &sideH)) {
    SetError(error, "png: no header chunk first");
    return false;
  }
  PngReader reader{"png: damaged data", size, 0, false, maxBytes, out, nullptr, false, false};
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &reader, PngError, PngWarning, &reader,
                                             PngMalloc, PngFree);
  if (!png) {
    SetError(error, "png: out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep>* volatile rows = info ? new (std::nothrow) std::vector<png_bytep>() : nullptr;
  if (!rows) {
    png_destroy_read_struct(&png, &info, nullptr);
    SetError(error, "png: out of memory");
    return false;
  }
  reader.rows = rows;
  // Everything that must survive a longjmp lives in the reader, the heap
  // object above or in `out`, which is only resized before the rows are read.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    delete rows;
    *out = Image{};
    SetError(error, reader.message);
    return false;
  }
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, 8u * 1024u * 1024u);
  png_set_progressive_read_fn(png, &reader, PngHaveInfo, PngHaveRow, PngHaveEnd);

  // The chunks are walked here. Only the chunks that make the picture are
  // read: every ancillary chunk but the transparency (text, colour profiles,
  // palettes of suggestions, ...) is passed over unread (the library would
  // hold the whole of it first) and none is kept. The rest is handed to the
  // library a piece at a time. Once the rows are made the reader goes on for
  // kPngPieceBytes more: within them a file ends (the stream's end, its CRC,
  // the end chunk), and a fault there refuses it as any other. A file that
  // goes on longer is accepted, the rest unread.
  const uint64_t beforeRowsMax = PngBytesBeforeRowsMax(data, size);
  size_t at = std::min<size_t>(8, size);
  png_process_data(png, info, const_cast<png_bytep>(data), at);  // the signature
  uint64_t handled = 0;  // bytes handled before the rows were made, then since
  bool rowsDone = false;
  const auto charge = [&](uint64_t n) {
    handled += n;
    if (!rowsDone && handled > beforeRowsMax) png_error(png, "more data than its rows can need");
  };
  const auto stopped = [&] { return reader.ended || (rowsDone && handled >= kPngPieceBytes); };
  while (at < size && !stopped()) {
    size_t end = size;
    if (size - at >= 8) {
      const uint8_t* head = data + at;
      const uint64_t length = uint64_t{head[0]} << 24 | uint64_t{head[1]} << 16 | uint64_t{head[2]} << 8 | head[3];
      end = static_cast<size_t>(std::min<uint64_t>(size, at + 12 + length));
      if ((head[4] & 0x20) != 0 && std::memcmp(head + 4, "tRNS", 4) != 0) {
        charge(12);
        at = end;
        continue;
      }
    }
    while (at < end && !stopped()) {
      const size_t n = std::min({kPngPieceBytes, end - at, rowsDone ? size_t(kPngPieceBytes - handled) : SIZE_MAX});
      charge(n);
      png_process_data(png, info, const_cast<png_bytep>(data + at), n);
      at += n;
      if (!rowsDone && PngRowsDone(png, reader)) {
        rowsDone = true;
        handled = 0;
      }
    }
  }
  if (!stopped()) png_error(png, "file cut short");
  // The stream and the file may end (the end chunk read) before the last
  // row: the rows never given are missing, not clear.
  if (!rowsDone) png_error(png, "data ends before the last row");
  if (reader.overrun) png_error(png, "more working memory than a picture needs");
  png_destroy_read_struct(&png, &info, nullptr);
  delete rows;
  return true;
}

// ---------------------------------------------------------------- JPEG
// The work a picture's scans may do. A scan steps to each block of the
// components it holds and decodes the coefficients of its band in each, so
// its work is counted as its blocks times one more than its band's
// coefficients (the step to a block costs about a coefficient's decoding).
// A plain picture's one pass over every block and its 64 coefficients is
// 65 a block. The progressive scripts encoders write come to 2.4 to 3
// times that (libjpeg's own: 3.03 for a grey picture's 6 scans, 2.7 for
// the 10 of a colour one sampled 4:2:0, 2.4 sampled 4:4:4); a script that
// sends the DC's last bit apart and refines 3 bits of each AC coefficient
// to 4.02, 4 bits to 5.0. A sequential picture with one scan per component
// does the plain pass once. kJpegScanWorkTimes leaves room for all of
// these; scans that repeat a band (the decoder takes a band's first bits
// again without a warning) or refine bits one scan at a time would
// otherwise hold the frame for seconds. The whole script is judged before
// its first scan is decoded (JpegScanPastBound), and each scan again as
// the decoder meets it.
constexpr uint64_t kJpegScanWorkTimes = 6;
constexpr uint64_t kJpegBlockWork = 65;

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX + 32];
  int scanCounted;    // the last scan whose work is counted
  uint64_t work;      // the work of the scans so far
  uint64_t workMost;  // kJpegScanWorkTimes times a plain pass's
};

// The message names the scan it stopped in, once the scans have begun.
void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  char text[JMSG_LENGTH_MAX];
  cinfo->err->format_message(cinfo, text);
  const int scan = cinfo->is_decompressor ? reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number : 0;
  if (scan > 0) {
    std::snprintf(err->message, sizeof err->message, "jpeg: scan %d: %s", scan, text);
  } else {
    std::snprintf(err->message, sizeof err->message, "jpeg: %s", text);
  }
  longjmp(err->jump, 1);
}

// A warning (corrupt or truncated data) refuses the picture at once: the
// rest of the file is not decoded for a picture that is not used.
void JpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) cinfo->err->error_exit(cinfo);
}

void JpegOutputMessage(j_common_ptr) {}

uint64_t DivideUp(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

// The blocks a scan of these components steps to: a scan of one component
// its own blocks, one of several the blocks of their units (each unit of
// max-sampling x 8 pixels square holds h x v blocks of each component).
uint64_t JpegScanBlocks(const jpeg_decompress_struct& cinfo, jpeg_component_info* const* comps, int count) {
  if (count == 1) return uint64_t{comps[0]->width_in_blocks} * comps[0]->height_in_blocks;
  const uint64_t units = DivideUp(cinfo.image_width, uint64_t(cinfo.max_h_samp_factor) * DCTSIZE) *
                         DivideUp(cinfo.image_height, uint64_t(cinfo.max_v_samp_factor) * DCTSIZE);
  uint64_t perUnit = 0;
  for (int i = 0; i < count; ++i) perUnit += uint64_t(comps[i]->h_samp_factor) * comps[i]->v_samp_factor;
  return units * perUnit;
}

// The most work the scans of the picture whose header is read may do.
uint64_t JpegScanWorkMost(const jpeg_decompress_struct& cinfo) {
  jpeg_component_info* all[MAX_COMPONENTS];
  const int count = std::clamp(cinfo.num_components, 1, MAX_COMPONENTS);
  for (int i = 0; i < count; ++i) all[i] = &cinfo.comp_info[i];
  return kJpegScanWorkTimes * kJpegBlockWork * JpegScanBlocks(cinfo, all, count);
}

// The work of a scan of these components over coefficients ss to se.
uint64_t JpegScanWork(const jpeg_decompress_struct& cinfo, jpeg_component_info* const* comps, int count, int ss,
                      int se) {
  const int band = cinfo.progressive_mode ? std::clamp(se - ss + 1, 1, DCTSIZE2) : DCTSIZE2;
  return JpegScanBlocks(cinfo, comps, count) * uint64_t(1 + band);
}

[[noreturn]] void JpegRefuseWork(JpegError* err, int scan) {
  std::snprintf(err->message, sizeof err->message,
                "jpeg: scan %d: the scans do more than %d times the work of a plain picture of this size", scan,
                int(kJpegScanWorkTimes));
  longjmp(err->jump, 1);
}

// Called by the decompressor between its steps through the input; a scan
// is counted at the first call after its header is read, before any of it
// is decoded, and refused there when it takes the work past the bound.
void JpegProgress(j_common_ptr common) {
  const auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  auto* err = reinterpret_cast<JpegError*>(common->err);
  const int scan = cinfo->input_scan_number;
  if (scan == err->scanCounted) return;
  err->scanCounted = scan;
  err->work += JpegScanWork(*cinfo, cinfo->cur_comp_info, cinfo->comps_in_scan, cinfo->Ss, cinfo->Se);
  if (err->work > err->workMost) JpegRefuseWork(err, scan);
}

// The scan whose work takes the picture's past `most`, found from the
// file's bytes before any scan is decoded (the header read up to the first
// scan); 0 when none does. A scan's entropy-coded data holds no marker (a
// 0xFF of its data is followed by a stuffed 0, a restart marker is 0xD0 to
// 0xD7, and 0xFF bytes may fill before a marker), so the next marker is the
// next 0xFF followed by another byte; the segments between scans (tables,
// restart interval, comments) are stepped over by their lengths. The walk
// stops at the end marker, at the end of the file and at a segment it
// cannot read: the decoder refuses such a file itself, and counts the
// scans it meets against the same bound (JpegProgress).
int JpegScanPastBound(const jpeg_decompress_struct& cinfo, uint64_t most) {
  int scan = 1;
  uint64_t work = JpegScanWork(cinfo, cinfo.cur_comp_info, cinfo.comps_in_scan, cinfo.Ss, cinfo.Se);
  if (work > most) return scan;
  const JOCTET* p = cinfo.src->next_input_byte;
  const size_t n = cinfo.src->bytes_in_buffer;
  size_t at = 0;
  while (at < n) {
    const void* ff = std::memchr(p + at, 0xFF, n - at);
    if (ff == nullptr) return 0;
    at = size_t(static_cast<const JOCTET*>(ff) - p);
    while (at + 1 < n && p[at + 1] == 0xFF) ++at;
    if (at + 1 >= n) return 0;
    const int marker = p[at + 1];
    at += 2;
    if (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD9 || at + 2 > n) return 0;
    const size_t length = size_t{p[at]} << 8 | p[at + 1];
    if (length < 2 || length > n - at) return 0;
    if (marker == 0xDA) {
      // The scan's header: its length, the count of its components, each
      // component's id and tables, then the band's first and last.
      const int count = length > 2 ? p[at + 2] : 0;
      if (count < 1 || count > MAX_COMPS_IN_SCAN || length != 6 + 2 * size_t(count)) return 0;
      jpeg_component_info* comps[MAX_COMPS_IN_SCAN];
      for (int i = 0; i < count; ++i) {
        comps[i] = nullptr;
        for (int c = 0; c < std::clamp(cinfo.num_components, 0, MAX_COMPONENTS); ++c)
          if (cinfo.comp_info[c].component_id == p[at + 3 + 2 * i]) comps[i] = &cinfo.comp_info[c];
        if (comps[i] == nullptr) return 0;
      }
      ++scan;
      work += JpegScanWork(cinfo, comps, count, p[at + 3 + 2 * count], p[at + 4 + 2 * count]);
      if (work > most) return scan;
    }
    at += length;
  }
  return 0;
}

// Why a JPEG whose header is read cannot be decoded within a bound that its
// file's size sets; null when it can. Each scan of a Huffman-coded picture
// spends a bit at least on each 8 x 8 block of each component it holds
// (the code of the block's DC difference: codes take 1 to 16 bits), and
// the decoder reads no block whose bits are missing (it warns, and a
// warning refuses the picture), so the blocks of the first scan, known
// from its header, must fit in 8 times the bytes that follow that header.
// A component may be subsampled 4 x 4, a block of it covering 32 x 32
// pixels: a file that passes holds at most 8,192 pixels a byte. Arithmetic
// coding spends far less than a bit on a block of a flat picture, and its
// decoder reads zeros past the end of a scan's data, so no bound follows
// from the bytes of an arithmetic-coded picture: it is bounded by the size
// of picture allowed alone, as its scans by their work.
const char* JpegFileRefusal(const jpeg_decompress_struct& cinfo) {
  if (cinfo.arith_code) return nullptr;
  uint64_t blocks = 0;
  for (int i = 0; i < cinfo.comps_in_scan; ++i)
    blocks += uint64_t{cinfo.cur_comp_info[i]->width_in_blocks} * cinfo.cur_comp_info[i]->height_in_blocks;
  if (blocks > uint64_t{cinfo.src->bytes_in_buffer} * 8) return "jpeg: file too short for its picture";
  return nullptr;
}

bool DecodeJpeg(const uint8_t* data, size_t size, Image* out, std::string* error, uint64_t maxBytes) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegEmitMessage;
  err.mgr.output_message = JpegOutputMessage;
  std::strcpy(err.message, "jpeg: damaged data");
  err.scanCounted = 0;
  err.work = 0;
  err.workMost = 0;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = JpegProgress;
  std::vector<uint8_t>* volatile rgb = new (std::nothrow) std::vector<uint8_t>();
  if (!rgb) {
    SetError(error, "jpeg: out of memory");
    return false;
  }
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete rgb;
    *out = Image{};
    SetError(error, err.message);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (!ImageSizeAllowed(cinfo.image_width, cinfo.image_height)) {
    std::strcpy(err.message, "jpeg: image too large");
    longjmp(err.jump, 1);
  }
  if (uint64_t{cinfo.image_width} * cinfo.image_height * 4 > maxBytes) {
    std::strcpy(err.message, "jpeg: picture larger than the bytes allowed for it");
    longjmp(err.jump, 1);
  }
  if (const char* why = JpegFileRefusal(cinfo)) {
    std::snprintf(err.message, sizeof err.message, "%s", why);
    longjmp(err.jump, 1);
  }
  err.workMost = JpegScanWorkMost(cinfo);
  if (const int scan = JpegScanPastBound(cinfo, err.workMost)) JpegRefuseWork(&err, scan);
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    std::strcpy(err.message, "jpeg: CMYK images are not supported");
    longjmp(err.jump, 1);
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const uint32_t w = cinfo.output_width, h = cinfo.output_height;
  if (cinfo.output_components != 3 || !ImageSizeAllowed(w, h) || uint64_t{w} * h * 4 > maxBytes) {
    std::strcpy(err.message, "jpeg: unexpected output layout");
    longjmp(err.jump, 1);
  }
  bool made = true;
  try {
    rgb->resize(static_cast<size_t>(w) * h * 3);
  } catch (const std::bad_alloc&) {
    made = false;
  }
  if (!made) {
    std::strcpy(err.message, "jpeg: out of memory");
    longjmp(err.jump, 1);
  }
  while (cinfo.output_scanline < h) {
    JSAMPROW row = rgb->data() + static_cast<size_t>(cinfo.output_scanline) * w * 3;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
  }
  if (cinfo.output_scanline < h) {
    std::strcpy(err.message, "jpeg: truncated or corrupt data");
    longjmp(err.jump, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);

  try {
    out->rgba.resize(static_cast<size_t>(w) * h * 4);
  } catch (const std::bad_alloc&) {
    delete rgb;
    *out = Image{};
    SetError(error, "jpeg: out of memory");
    return false;
  }
  out->width = static_cast<int>(w);
  out->height = static_cast<int>(h);
  const uint8_t* s = rgb->data();
  uint8_t* d = out->rgba.data();
  for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i, s += 3, d += 4) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
    d[3] = 0xFF;
  }
  delete rgb;
  return true;
}

// The frame header's size, as the decoder reads it (markers up to the first
// scan; tables and comments are skipped, nothing of the picture is made).
// A file the decoder refuses from its header for its size is refused.
// `arithmetic` (optional) tells whether a header read is of an
// arithmetic-coded picture.
bool ReadJpegSize(const uint8_t* data, size_t size, int* width, int* height, bool* arithmetic = nullptr) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegEmitMessage;
  err.mgr.output_message = JpegOutputMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool fits =
      cinfo.image_width <= INT32_MAX && cinfo.image_height <= INT32_MAX && JpegFileRefusal(cinfo) == nullptr;
  *width = static_cast<int>(cinfo.image_width);
  *height = static_cast<int>(cinfo.image_height);
  if (arithmetic != nullptr) *arithmetic = cinfo.arith_code != FALSE;
  jpeg_destroy_decompress(&cinfo);
  return fits;
}

}  // namespace

ImageFormat DetectImageFormat(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  static const uint8_t kPngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (p && size >= 8 && std::memcmp(p, kPngSig, 8) == 0) return ImageFormat::kPng;
  if (p && size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return ImageFormat::kJpeg;
  return ImageFormat::kUnknown;
}

bool ReadImageSize(const void* data, size_t size, int* width, int* height) {
  switch (DetectImageFormat(data, size)) {
    case ImageFormat::kPng:
      return ReadPngSize(static_cast<const uint8_t*>(data), size, width, height);
    case ImageFormat::kJpeg:
      return ReadJpegSize(static_cast<const uint8_t*>(data), size, width, height);
    case ImageFormat::kUnknown:
      break;
  }
  return false;
}

bool IsArithmeticJpeg(const void* data, size_t size) {
  if (DetectImageFormat(data, size) != ImageFormat::kJpeg) return false;
  int w = 0, h = 0;
  bool arithmetic = false;
  ReadJpegSize(static_cast<const uint8_t*>(data), size, &w, &h, &arithmetic);
  return arithmetic;
}

bool DecodeImage(const void* data, size_t size, Image* out, std::string* error, uint64_t maxBytes) {
  *out = Image{};
  switch (DetectImageFormat(data, size)) {
    case ImageFormat::kPng:
      return DecodePng(static_cast<const uint8_t*>(data), size, out, error, maxBytes);
    case ImageFormat::kJpeg:
      return DecodeJpeg(static_cast<const uint8_t*>(data), size, out, error, maxBytes);
    case ImageFormat::kUnknown:
      break;
  }
  SetError(error, "unknown image format");
  return false;
}

}  // namespace plat
