#include "support/image_files.h"

#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace testsupport {

namespace {
void PngWrite(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void PngFlush(png_structp) {}
}  // namespace

std::vector<uint8_t> EncodePng(const plat::Image& image, PngKind kind, bool interlaced) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png encode failed");
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  const int w = image.width, h = image.height;
  std::vector<uint8_t> rows;
  int type = PNG_COLOR_TYPE_RGBA, channels = 4;
  std::vector<png_color> palette;
  switch (kind) {
    case PngKind::kRgba: break;
    case PngKind::kRgb: type = PNG_COLOR_TYPE_RGB; channels = 3; break;
    case PngKind::kGrey: type = PNG_COLOR_TYPE_GRAY; channels = 1; break;
    case PngKind::kPalette: type = PNG_COLOR_TYPE_PALETTE; channels = 1; break;
  }
  rows.resize(static_cast<size_t>(w) * h * channels);
  for (int i = 0; i < w * h; ++i) {
    const uint8_t* p = &image.rgba[static_cast<size_t>(i) * 4];
    switch (kind) {
      case PngKind::kRgba: for (int c = 0; c < 4; ++c) rows[i * 4 + c] = p[c]; break;
      case PngKind::kRgb: for (int c = 0; c < 3; ++c) rows[i * 3 + c] = p[c]; break;
      case PngKind::kGrey: rows[i] = p[0]; break;
      case PngKind::kPalette: {
        size_t k = 0;
        while (k < palette.size() && !(palette[k].red == p[0] && palette[k].green == p[1] &&
                                       palette[k].blue == p[2]))
          ++k;
        if (k == palette.size()) {
          if (palette.size() == 256) throw std::runtime_error("too many colours");
          palette.push_back({p[0], p[1], p[2]});
        }
        rows[i] = static_cast<uint8_t>(k);
        break;
      }
    }
  }
  png_set_IHDR(png, info, w, h, 8, type, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (kind == PngKind::kPalette) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_write_info(png, info);
  const int passes = interlaced ? png_set_interlace_handling(png) : 1;
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < h; ++y) png_write_row(png, &rows[static_cast<size_t>(y) * w * channels]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<JpegScan> SpectralScript(int n) {
  std::vector<JpegScan> s = {{{0, 1, 2}, 0, 0, 0, 0}};
  for (int c = 0; c < 3; ++c) {
    const int bands = (n - 1) / 3 + (c < (n - 1) % 3 ? 1 : 0);
    for (int k = 1; k < bands; ++k) s.push_back({{c}, k, k, 0, 0});
    s.push_back({{c}, bands, 63, 0, 0});
  }
  return s;
}

std::vector<uint8_t> RepeatScan(const std::vector<uint8_t>& jpg, int scan, int times) {
  std::vector<size_t> ends;  // where each scan's data ends
  size_t at = 2;             // past SOI
  while (at + 4 <= jpg.size()) {
    const uint8_t marker = jpg[at + 1];
    const size_t length = size_t(jpg[at + 2]) << 8 | jpg[at + 3];
    at += 2 + length;
    if (marker != 0xDA) continue;
    while (at + 1 < jpg.size() &&
           !(jpg[at] == 0xFF && jpg[at + 1] != 0x00 && (jpg[at + 1] < 0xD0 || jpg[at + 1] > 0xD7)))
      ++at;
    ends.push_back(at);
  }
  if (scan < 2 || ends.size() < size_t(scan)) return {};  // no such scan
  const std::vector<uint8_t> part(jpg.begin() + long(ends[size_t(scan) - 2]), jpg.begin() + long(ends[size_t(scan) - 1]));
  std::vector<uint8_t> out(jpg.begin(), jpg.begin() + long(ends[size_t(scan) - 1]));
  for (int i = 0; i < times; ++i) out.insert(out.end(), part.begin(), part.end());
  out.insert(out.end(), jpg.begin() + long(ends[size_t(scan) - 1]), jpg.end());
  return out;
}

namespace {

std::vector<uint8_t> WriteJpeg(const plat::Image& image, int quality, const JpegForm& form,
                               const std::vector<JpegScan>& scans, bool arithmetic) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buf, &size);
  cinfo.image_width = image.width;
  cinfo.image_height = image.height;
  cinfo.input_components = form.grey ? 1 : 3;
  cinfo.in_color_space = form.grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.arith_code = arithmetic ? TRUE : FALSE;
  if (!form.grey) cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = form.lumaSampling;
  if (form.progressive && scans.empty()) jpeg_simple_progression(&cinfo);
  std::vector<jpeg_scan_info> script(scans.size());
  for (size_t i = 0; i < scans.size(); ++i) {
    jpeg_scan_info& s = script[i];
    s.comps_in_scan = static_cast<int>(scans[i].components.size());
    for (int c = 0; c < s.comps_in_scan; ++c) s.component_index[c] = scans[i].components[size_t(c)];
    s.Ss = scans[i].ss;
    s.Se = scans[i].se;
    s.Ah = scans[i].ah;
    s.Al = scans[i].al;
  }
  if (!script.empty()) {
    cinfo.scan_info = script.data();
    cinfo.num_scans = static_cast<int>(script.size());
  }
  jpeg_start_compress(&cinfo, TRUE);
  const int channels = form.grey ? 1 : 3;
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * channels);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* p = &image.rgba[static_cast<size_t>(cinfo.next_scanline) * image.width * 4];
    for (int x = 0; x < image.width; ++x)
      for (int c = 0; c < channels; ++c) row[x * channels + c] = p[x * 4 + c + (form.grey ? 1 : 0)];
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buf, buf + size);
  free(buf);
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const plat::Image& image, int quality) {
  return WriteJpeg(image, quality, JpegForm{}, {}, false);
}

std::vector<uint8_t> EncodeJpeg(const plat::Image& image, int quality, const std::vector<JpegScan>& scans,
                                bool arithmetic) {
  return WriteJpeg(image, quality, JpegForm{}, scans, arithmetic);
}

std::vector<uint8_t> EncodeJpeg(const plat::Image& image, int quality, const JpegForm& form,
                                const std::vector<JpegScan>& scans) {
  return WriteJpeg(image, quality, form, scans, false);
}

uint32_t PixelAt(const plat::Image& img, int x, int y) {
  const uint8_t* p = &img.rgba[(static_cast<size_t>(y) * img.width + x) * 4];
  return uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
}

std::vector<uint8_t> DdsHeader(uint32_t w, uint32_t h, uint32_t pfFlags, uint32_t fourCc, uint32_t bits, uint32_t r,
                               uint32_t g, uint32_t b, uint32_t a, uint32_t caps2) {
  std::vector<uint8_t> f(128, 0);
  auto le32 = [&f](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  f[0] = 'D', f[1] = 'D', f[2] = 'S', f[3] = ' ';
  le32(4, 124);
  le32(8, 0x1007);
  le32(12, h);
  le32(16, w);
  le32(76, 32);
  le32(80, pfFlags);
  le32(84, fourCc);
  le32(88, bits);
  le32(92, r);
  le32(96, g);
  le32(100, b);
  le32(104, a);
  le32(108, 0x1000);
  le32(112, caps2);
  return f;
}

std::vector<uint8_t> BmpFile(uint32_t infoSize, int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                             const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> f(14 + infoSize, 0);
  auto le = [&f](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) f[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  le(2, uint32_t(f.size() + pixels.size()), 4);
  le(10, 14 + infoSize, 4);
  le(14, infoSize, 4);
  if (infoSize == 12) {
    le(18, uint32_t(w), 2);
    le(20, uint32_t(h), 2);
    le(22, 1, 2);
    le(24, bits, 2);
  } else if (infoSize >= 40) {
    le(18, uint32_t(w), 4);
    le(22, uint32_t(h), 4);
    le(26, 1, 2);
    le(28, bits, 2);
    le(30, compression, 4);
  }
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

std::vector<uint8_t> PngChunk(const char (&type)[5], const std::vector<uint8_t>& data) {
  std::vector<uint8_t> c;
  c.reserve(12 + data.size());
  const uint32_t n = static_cast<uint32_t>(data.size());
  for (int s : {24, 16, 8, 0}) c.push_back(static_cast<uint8_t>(n >> s));
  c.insert(c.end(), type, type + 4);
  c.insert(c.end(), data.begin(), data.end());
  const uint32_t crc = static_cast<uint32_t>(crc32(0, c.data() + 4, static_cast<uInt>(c.size() - 4)));
  for (int s : {24, 16, 8, 0}) c.push_back(static_cast<uint8_t>(crc >> s));
  return c;
}

namespace {

void Be32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s : {24, 16, 8, 0}) v.push_back(static_cast<uint8_t>(x >> s));
}

std::vector<uint8_t> FlatIhdr(int w, int h) {
  std::vector<uint8_t> ihdr;
  Be32(ihdr, static_cast<uint32_t>(w));
  Be32(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, not interlaced
  return PngChunk("IHDR", ihdr);
}

// One row of FlatPng's: filter byte 0, then the pixels.
std::vector<uint8_t> FlatRow(int w, uint32_t argb) {
  std::vector<uint8_t> row(1 + static_cast<size_t>(w) * 4);
  for (size_t x = 1; x < row.size(); x += 4) {
    row[x] = static_cast<uint8_t>(argb >> 16);
    row[x + 1] = static_cast<uint8_t>(argb >> 8);
    row[x + 2] = static_cast<uint8_t>(argb);
    row[x + 3] = static_cast<uint8_t>(argb >> 24);
  }
  return row;
}

// Deflates n bytes (none: nullptr) onto out, ending with `flush`.
void DeflateOnto(z_stream* z, const uint8_t* data, size_t n, int flush, std::vector<uint8_t>* out) {
  uint8_t buffer[65536];
  z->next_in = const_cast<uint8_t*>(data);
  z->avail_in = static_cast<uInt>(n);
  int r = Z_OK;
  do {
    z->next_out = buffer;
    z->avail_out = sizeof buffer;
    r = deflate(z, flush);
    out->insert(out->end(), buffer, buffer + (sizeof buffer - z->avail_out));
  } while (z->avail_out == 0 || (flush == Z_FINISH && r != Z_STREAM_END));
}

std::vector<uint8_t> PngOf(std::initializer_list<std::vector<uint8_t>> chunks) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const auto& part : chunks) png.insert(png.end(), part.begin(), part.end());
  return png;
}

}  // namespace

std::vector<uint8_t> FlatPng(int w, int h, uint32_t argb, const std::vector<uint8_t>& extra, int rows) {
  if (rows < 0 || rows > h) rows = h;
  const std::vector<uint8_t> row = FlatRow(w, argb);
  z_stream z{};
  if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw std::runtime_error("deflateInit failed");
  std::vector<uint8_t> idat;
  for (int y = 0; y < rows; ++y) DeflateOnto(&z, row.data(), row.size(), Z_NO_FLUSH, &idat);
  DeflateOnto(&z, nullptr, 0, Z_FINISH, &idat);
  deflateEnd(&z);
  return PngOf({FlatIhdr(w, h), extra, PngChunk("IDAT", idat), PngChunk("IEND", {})});
}

std::vector<uint8_t> PngWithTrailingZeros(int w, int h, uint32_t argb, uint32_t zeroMiB, size_t* rowsEnd) {
  const std::vector<uint8_t> row = FlatRow(w, argb);
  const std::vector<uint8_t> mib(size_t(1) << 20, 0);
  z_stream z{};
  if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit failed");
  std::vector<uint8_t> idat, zeros;
  uLong adler = adler32(0, nullptr, 0);
  for (int y = 0; y < h; ++y) {
    DeflateOnto(&z, row.data(), row.size(), y + 1 < h ? Z_NO_FLUSH : Z_FULL_FLUSH, &idat);
    adler = adler32(adler, row.data(), static_cast<uInt>(row.size()));
  }
  const size_t rowBytes = idat.size();
  // After a full flush the stream refers to nothing before it: the blocks
  // of one MiB of zeros, ended by another, may follow themselves.
  DeflateOnto(&z, mib.data(), mib.size(), Z_FULL_FLUSH, &zeros);
  deflateEnd(&z);
  const uLong mibAdler = adler32(adler32(0, nullptr, 0), mib.data(), static_cast<uInt>(mib.size()));
  for (uint32_t i = 0; i < zeroMiB; ++i) {
    idat.insert(idat.end(), zeros.begin(), zeros.end());
    adler = adler32_combine(adler, mibAdler, static_cast<z_off_t>(mib.size()));
  }
  idat.insert(idat.end(), {0x03, 0x00});  // a final block of fixed codes, empty
  Be32(idat, static_cast<uint32_t>(adler));
  if (rowsEnd) *rowsEnd = 8 + 25 + 8 + rowBytes;  // the signature, the header chunk and the data's length and type
  return PngOf({FlatIhdr(w, h), PngChunk("IDAT", idat), PngChunk("IEND", {})});
}

}  // namespace testsupport
