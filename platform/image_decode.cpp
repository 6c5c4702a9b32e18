#include "platform/image_decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace plat {
namespace {

void SetError(std::string* error, const char* text) {
  if (error) *error = text;
}

// ---------------------------------------------------------------- PNG
struct PngReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
  char message[128];
};

void PngRead(png_structp png, png_bytep out, png_size_t count) {
  auto* r = static_cast<PngReader*>(png_get_io_ptr(png));
  if (count > r->size - r->pos) png_error(png, "read past end of data");
  std::memcpy(out, r->data + r->pos, count);
  r->pos += count;
}

void PngError(png_structp png, png_const_charp msg) {
  auto* r = static_cast<PngReader*>(png_get_error_ptr(png));
  std::snprintf(r->message, sizeof r->message, "png: %s", msg);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool DecodePng(const uint8_t* data, size_t size, Image* out, std::string* error) {
  PngReader reader{data, size, 0, "png: damaged data"};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, PngError, PngWarning);
  if (!png) {
    SetError(error, "png: out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    SetError(error, "png: out of memory");
    return false;
  }
  // Everything that must survive a longjmp lives in the heap object below or
  // in `out`, which is only resized before the rows are read.
  std::vector<png_bytep>* volatile rows = new std::vector<png_bytep>();
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    delete rows;
    *out = Image{};
    SetError(error, reader.message);
    return false;
  }
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, 8u * 1024u * 1024u);
  png_set_read_fn(png, &reader, PngRead);
  png_read_info(png, info);

  png_uint_32 w = 0, h = 0;
  int depth = 0, colourType = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colourType, nullptr, nullptr, nullptr);
  if (!ImageSizeAllowed(w, h)) png_error(png, "image too large");

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

  out->width = static_cast<int>(w);
  out->height = static_cast<int>(h);
  out->rgba.assign(static_cast<size_t>(w) * h * 4, 0);
  rows->resize(h);
  for (png_uint_32 y = 0; y < h; ++y) (*rows)[y] = out->rgba.data() + static_cast<size_t>(y) * w * 4;
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  delete rows;
  return true;
}

// ---------------------------------------------------------------- JPEG
// Most scans a picture may have. A sequential picture has one scan, or one
// per component; the progressive script of the common encoders has 10 scans
// for a colour picture and 6 for a grey one. Every scan makes another pass
// over the whole picture's coefficients, so a damaged file that repeats a
// scan thousands of times would hold the frame for a minute; the picture is
// refused once its scans pass ten times what any picture of the game needs.
constexpr int kMaxJpegScans = 100;

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX + 32];
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

// Called by the decompressor between its steps through the input, each scan
// counted as its header is read: a picture past kMaxJpegScans is refused
// before the next scan is decoded.
void JpegProgress(j_common_ptr cinfo) {
  const int scan = reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number;
  if (scan <= kMaxJpegScans) return;
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  std::snprintf(err->message, sizeof err->message, "jpeg: scan %d: more scans than a picture needs (at most %d)", scan,
                kMaxJpegScans);
  longjmp(err->jump, 1);
}

bool DecodeJpeg(const uint8_t* data, size_t size, Image* out, std::string* error) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegEmitMessage;
  err.mgr.output_message = JpegOutputMessage;
  std::strcpy(err.message, "jpeg: damaged data");
  jpeg_progress_mgr progress{};
  progress.progress_monitor = JpegProgress;
  std::vector<uint8_t>* volatile rgb = new std::vector<uint8_t>();
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
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    std::strcpy(err.message, "jpeg: CMYK images are not supported");
    longjmp(err.jump, 1);
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const uint32_t w = cinfo.output_width, h = cinfo.output_height;
  if (cinfo.output_components != 3 || !ImageSizeAllowed(w, h)) {
    std::strcpy(err.message, "jpeg: unexpected output layout");
    longjmp(err.jump, 1);
  }
  rgb->resize(static_cast<size_t>(w) * h * 3);
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

  out->width = static_cast<int>(w);
  out->height = static_cast<int>(h);
  out->rgba.resize(static_cast<size_t>(w) * h * 4);
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

}  // namespace

ImageFormat DetectImageFormat(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  static const uint8_t kPngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (p && size >= 8 && std::memcmp(p, kPngSig, 8) == 0) return ImageFormat::kPng;
  if (p && size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return ImageFormat::kJpeg;
  return ImageFormat::kUnknown;
}

bool DecodeImage(const void* data, size_t size, Image* out, std::string* error) {
  *out = Image{};
  switch (DetectImageFormat(data, size)) {
    case ImageFormat::kPng:
      return DecodePng(static_cast<const uint8_t*>(data), size, out, error);
    case ImageFormat::kJpeg:
      return DecodeJpeg(static_cast<const uint8_t*>(data), size, out, error);
    case ImageFormat::kUnknown:
      break;
  }
  SetError(error, "unknown image format");
  return false;
}

}  // namespace plat
