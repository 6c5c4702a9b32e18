#include "platform/dds_image.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "support/ExpectAll.h"
#include "support/NewFails.h"
#include "support/PictureCuts.h"
#include "support/image_files.h"

using Bytes = std::vector<uint8_t>;

namespace {

void Le32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A header laid out by hand (shared with the fuzz seeds).
Bytes Header(uint32_t w, uint32_t h, uint32_t pfFlags, uint32_t fourCc, uint32_t bits, uint32_t r, uint32_t g,
             uint32_t b, uint32_t a) {
  return testsupport::DdsHeader(w, h, pfFlags, fourCc, bits, r, g, b, a);
}

Bytes Px(const plat::Image& img, int x, int y) {
  const uint8_t* p = &img.rgba[(size_t(y) * img.width + x) * 4];
  return Bytes(p, p + 4);
}

TEST(DdsImage, UncompressedLayouts) {
  // A8R8G8B8: bytes B, G, R, A.
  Bytes argb = Header(2, 1, 0x41, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
  argb.insert(argb.end(), {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80});
  // R5G6B5 without alpha: 0xF800 is full red, 0x0400 is green 32 of 63.
  Bytes rgb565 = Header(2, 1, 0x40, 0, 16, 0xF800, 0x07E0, 0x001F, 0);
  rgb565.insert(rgb565.end(), {0x00, 0xF8, 0x00, 0x04});
  // Luminance with alpha, 8 + 8 bits; an alpha-only 8-bit surface.
  Bytes la = Header(1, 1, 0x20001, 0, 16, 0x00FF, 0, 0, 0xFF00);
  la.insert(la.end(), {0x80, 0x40});
  Bytes a8 = Header(1, 1, 0x2, 0, 8, 0, 0, 0, 0xFF);
  a8.push_back(0x33);
  struct Case {
    const Bytes* file;
    int x;
    Bytes rgba;
  } cases[] = {{&argb, 0, {255, 0, 0, 255}}, {&argb, 1, {0, 0, 255, 128}}, {&rgb565, 0, {255, 0, 0, 255}},
               {&rgb565, 1, {0, 130, 0, 255}}, {&la, 0, {128, 128, 128, 64}},   {&a8, 0, {0, 0, 0, 0x33}}};
  for (const Case& c : cases) {
    plat::Image img;
    ASSERT_TRUE(plat::DecodeDds(c.file->data(), c.file->size(), &img));
    EXPECT_EQ(Px(img, c.x, 0), c.rgba);
  }
}

TEST(DdsImage, DxtBlocks) {
  // One DXT1 block: colour 0 white, colour 1 black, index 1 for the first
  // pixel only (bits 0-1 of the index word).
  Bytes dxt1 = Header(4, 4, 0x4, 0x31545844, 0, 0, 0, 0, 0);
  dxt1.insert(dxt1.end(), {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00});
  plat::Image img;
  ASSERT_TRUE(plat::DecodeDds(dxt1.data(), dxt1.size(), &img));
  EXPECT_ALL({VAL(img.width, 4), VAL(img.height, 4)});
  EXPECT_EQ(Px(img, 0, 0), (Bytes{0, 0, 0, 255}));
  EXPECT_EQ(Px(img, 1, 0), (Bytes{255, 255, 255, 255}));
  // DXT5: alpha endpoints 255 and 0 with every alpha index 1 (alpha 0).
  Bytes dxt5 = Header(4, 4, 0x4, 0x35545844, 0, 0, 0, 0, 0);
  dxt5.insert(dxt5.end(), {0xFF, 0x00, 0x49, 0x92, 0x24, 0x49, 0x92, 0x24});
  dxt5.insert(dxt5.end(), {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
  ASSERT_TRUE(plat::DecodeDds(dxt5.data(), dxt5.size(), &img));
  EXPECT_EQ(Px(img, 3, 3), (Bytes{255, 255, 255, 0}));
}

TEST(DdsImage, DamagedFilesAreRefused) {
  Bytes good = Header(2, 2, 0x40, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  good.resize(128 + 16);
  std::vector<std::pair<const char*, Bytes>> bad;
  auto with = [&](size_t at, uint32_t v) {
    Bytes b = good;
    Le32(b, at, v);
    return b;
  };
  bad.push_back({"short data", Bytes(good.begin(), good.end() - 1)});
  bad.push_back({"no magic", with(0, 0)});
  bad.push_back({"header size", with(4, 100)});
  bad.push_back({"huge width", with(16, 0x100000)});
  bad.push_back({"zero height", with(12, 0)});
  bad.push_back({"cube map", with(112, 0x200)});
  bad.push_back({"odd bit count", with(88, 12)});
  bad.push_back({"unknown four-cc", with(80, 0x4)});
  bad.push_back({"truncated DXT", Header(8, 8, 0x4, 0x31545844, 0, 0, 0, 0, 0)});
  for (auto& [what, b] : bad) {
    plat::Image img;
    img.width = 5;
    EXPECT_FALSE(plat::DecodeDds(b.data(), b.size(), &img)) << what;
    EXPECT_ALL({VAL(img.width, 0), VAL(img.rgba.size(), size_t{0})});
  }
  plat::Image img;
  EXPECT_TRUE(plat::DecodeDds(good.data(), good.size(), &img));
}

// BMP files with their headers laid out by hand. Pixels are B, G, R in the
// file, each row padded to 4 bytes; rows run from the bottom unless the
// height is negative.
TEST(BmpImage, RowOrderAndBothHeaderForms) {
  const Bytes red = {0, 0, 255}, green = {0, 255, 0}, blue = {255, 0, 0}, white = {255, 255, 255};
  auto row = [](const Bytes& a, const Bytes& b) {
    Bytes r = a;
    r.insert(r.end(), b.begin(), b.end());
    r.insert(r.end(), {0, 0});  // 6 bytes padded to 8
    return r;
  };
  Bytes two = row(red, green);
  const Bytes second = row(blue, white);
  two.insert(two.end(), second.begin(), second.end());
  struct Case {
    const char* what;
    Bytes file;
    int w, h;
    std::vector<Bytes> rgba;  // row by row from the top
  } const cases[] = {
      {"bottom-up", testsupport::BmpFile(40, 2, 2, 24, 0, two), 2, 2,
       {{0, 0, 255, 255}, {255, 255, 255, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}}},
      {"top-down", testsupport::BmpFile(40, 2, -2, 24, 0, two), 2, 2,
       {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}}},
      {"core header", testsupport::BmpFile(12, 2, 1, 24, 0, row(red, green)), 2, 1,
       {{255, 0, 0, 255}, {0, 255, 0, 255}}},
  };
  for (const Case& c : cases) {
    plat::Image img;
    std::string why;
    ASSERT_TRUE(plat::DecodeBmp(c.file.data(), c.file.size(), &img, &why)) << c.what << ": " << why;
    ASSERT_EQ(img.width, c.w) << c.what;
    ASSERT_EQ(img.height, c.h) << c.what;
    for (int i = 0; i < c.w * c.h; ++i) EXPECT_EQ(Px(img, i % c.w, i / c.w), c.rgba[size_t(i)]) << c.what << " " << i;
  }
}

// Holds the process to its present address space plus `extra` bytes for the
// scope, so that a decoder that takes a header's size on trust fails to
// allocate (or aborts under the sanitizer) instead of taking the machine's
// memory.
class AddressSpaceCap {
 public:
  explicit AddressSpaceCap(uint64_t extra) {
    ::getrlimit(RLIMIT_AS, &old_);
    std::ifstream status("/proc/self/status");
    uint64_t kb = 0;
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmSize:", 0) == 0) kb = std::stoull(line.substr(7));
    rlimit cap = old_;
    cap.rlim_cur = std::min<uint64_t>(old_.rlim_max, kb * 1024 + extra);
    set_ = kb > 0 && ::setrlimit(RLIMIT_AS, &cap) == 0;
  }
  ~AddressSpaceCap() {
    if (set_) ::setrlimit(RLIMIT_AS, &old_);
  }
  bool Set() const { return set_; }

 private:
  rlimit old_{};
  bool set_ = false;
};

// A header is refused before the decoder makes room for its picture. The
// files hold no pixels at all: a size taken on trust would have the decoder
// allocate and clear the whole picture (16 GB for 65535 x 65535 at 32 bits,
// 432 MB for 12000 x 12000 at 24) before it finds the pixels missing; the
// cases run with 256 MB of address space to spare.
TEST(BmpImage, ClaimedSizesAreCheckedBeforeDecoding) {
  const Bytes none;
  Bytes two(16, 0x7F);  // 2 x 2 at 24 bits: two rows of 8 bytes
  Bytes shortHeader = testsupport::BmpFile(40, 2, 2, 24, 0, two);
  shortHeader.resize(14 + 10);  // the width, but not the height
  Bytes farPixels = testsupport::BmpFile(40, 2, 2, 24, 0, two);
  Le32(farPixels, 10, 0xFFFFFFF0u);  // pixel offset past the end
  Bytes magic = testsupport::BmpFile(40, 2, 2, 24, 0, two);
  magic[1] = 'A';
  const struct {
    const char* what;
    Bytes file;
    const char* why;
  } cases[] = {
      {"65535 x 65535", testsupport::BmpFile(40, 65535, 65535, 32, 0, none), "bad image size"},
      {"12000 x 12000", testsupport::BmpFile(40, 12000, 12000, 24, 0, none), "bad image size"},
      // Sides within 8192, but 64 M pixels: four times what any reader takes.
      {"8192 x 8192", testsupport::BmpFile(40, 8192, 8192, 8, 0, none), "bad image size"},
      {"top-down 12000 high", testsupport::BmpFile(40, 16, -12000, 24, 0, none), "bad image size"},
      {"negative width", testsupport::BmpFile(40, -2, 2, 24, 0, two), "bad image size"},
      {"height -2^31", testsupport::BmpFile(40, 2, INT32_MIN, 24, 0, two), "bad image size"},
      {"zero width", testsupport::BmpFile(40, 0, 2, 24, 0, two), "bad image size"},
      {"core 65535 x 65535", testsupport::BmpFile(12, 65535, 65535, 24, 0, none), "bad image size"},
      {"core 9000 x 1", testsupport::BmpFile(12, 9000, 1, 24, 0, none), "bad image size"},
      // 4096 x 4096 is allowed, but the 48 MB its rows need are not there.
      {"allowed size, no pixels", testsupport::BmpFile(40, 4096, 4096, 24, 0, none), "truncated"},
      {"last byte missing", testsupport::BmpFile(40, 2, 2, 24, 0, Bytes(15, 0x7F)), "truncated"},
      {"core header, row missing", testsupport::BmpFile(12, 2, 2, 24, 0, Bytes(8, 0x7F)), "truncated"},
      {"pixel offset past the end", farPixels, "truncated"},
      {"header cut short", shortHeader, "truncated"},
      {"header of 13 bytes", testsupport::BmpFile(13, 2, 2, 24, 0, two), "bad header size"},
      {"12 bits a pixel", testsupport::BmpFile(40, 2, 2, 12, 0, two), "unsupported pixel format"},
      // A compression the reader does not know says nothing of what the
      // file must hold for the size it claims: refused, whatever it claims
      // (the decoder would make the whole picture, 64 MB here, before it
      // found it could not read it).
      {"JPEG inside, 4096 x 4096", testsupport::BmpFile(40, 4096, 4096, 32, 4, none), "unsupported compression"},
      {"PNG inside, 4096 x 4096", testsupport::BmpFile(40, 4096, 4096, 32, 5, none), "unsupported compression"},
      {"compression 6, 4096 x 4096", testsupport::BmpFile(40, 4096, 4096, 32, 6, none), "unsupported compression"},
      {"compression 2^31", testsupport::BmpFile(40, 2, 2, 24, 0x80000000u, two), "unsupported compression"},
      {"no magic", magic, "not a BMP file"},
      {"empty", Bytes(), "not a BMP file"},
  };
  const AddressSpaceCap cap(uint64_t(256) << 20);
  ASSERT_TRUE(cap.Set());
  for (const auto& c : cases) {
    plat::Image img;
    img.width = 5;
    std::string why;
    EXPECT_FALSE(plat::DecodeBmp(c.file.data(), c.file.size(), &img, &why)) << c.what;
    EXPECT_EQ(why, c.why) << c.what;
    EXPECT_ALL({VAL(img.width, 0), VAL(img.rgba.size(), size_t{0})});
  }
}

// A run-length BMP (8 bits a pixel for compression 1, 4 for compression 2)
// of w x h: a palette of 2^bits entries (B, G, R, 0; entry i is (3i, 2i, i)
// as R, G, B) between the headers and the codes, the pixel offset moved
// past it.
Bytes RleBmp(uint16_t bits, int32_t w, int32_t h, const Bytes& codes) {
  Bytes pixels;
  for (int i = 0; i < 1 << bits; ++i) pixels.insert(pixels.end(), {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 0});
  pixels.insert(pixels.end(), codes.begin(), codes.end());
  Bytes f = testsupport::BmpFile(40, w, h, bits, bits == 8 ? 1 : 2, pixels);
  Le32(f, 10, 54 + (4u << bits));
  return f;
}

// A picture file and what the decoder says of it (empty: it decodes).
struct BmpCase {
  const char* what;
  Bytes file;
  const char* why;
};

// Each file decodes, or is refused with its reason and no picture.
void ExpectBmpCases(const std::vector<BmpCase>& cases) {
  for (const BmpCase& c : cases) {
    SCOPED_TRACE(c.what);
    plat::Image img;
    std::string why;
    const bool ok = plat::DecodeBmp(c.file.data(), c.file.size(), &img, &why);
    EXPECT_EQ(why, c.why);
    EXPECT_EQ(ok, *c.why == '\0');
    if (!ok) EXPECT_ALL({VAL(img.width, 0), VAL(img.rgba.size(), size_t{0})});
  }
}

// A run-length picture sets at most 255 pixels with each two bytes of its
// codes (a count and a colour); what a row's end, a move or the picture's
// end passes over is left undefined. A header that claims more pixels than
// the codes can set is refused before the decoder makes the picture: the
// 1,104-byte file of 8192 x 2048 (26 bytes of codes) would be taken as a
// black picture of 16 M pixels. 4 bytes set at most 510 pixels.
TEST(BmpImage, RunLengthPicturesClaimNoMorePixelsThanTheirCodesCanSet) {
  const Bytes runs = {255, 1, 255, 2, 255, 3, 0, 0, 255, 4, 255, 5, 0, 0, 10, 6, 10, 7, 0, 0, 4, 1, 0, 0, 0, 1};
  const Bytes damaged = RleBmp(8, 8192, 2048, runs);
  ASSERT_EQ(damaged.size(), 1104u);
  // 4 x 2: the bottom row 4 pixels of colour 1, a row's end, the top row
  // of colour 2, the picture's end.
  const Bytes whole = {4, 1, 0, 0, 4, 2, 0, 1};
  Bytes pastEnd = RleBmp(8, 4, 2, whole);
  Le32(pastEnd, 10, uint32_t(pastEnd.size() + 1));
  ExpectBmpCases({
      {"8192 x 2048 from 26 bytes", damaged, "compressed data too short for its size"},
      {"8 bits, 510 pixels from 4 bytes", RleBmp(8, 255, 2, {255, 1, 0, 1}), ""},
      {"8 bits, 512 pixels from 4 bytes", RleBmp(8, 256, 2, {255, 1, 0, 1}), "compressed data too short for its size"},
      {"4 bits, 510 pixels from 4 bytes", RleBmp(4, 255, 2, {255, 0x12, 0, 1}), ""},
      {"4 bits, 512 pixels from 4 bytes", RleBmp(4, 2, 256, {255, 0x12, 0, 1}), "compressed data too short for its size"},
      {"codes past the end", pastEnd, "truncated"},
      {"every pixel set", RleBmp(8, 4, 2, whole), ""},
  });
  // What the codes set is read as they say: rows from the bottom, colours
  // from the palette, 4-bit runs alternating their two colours.
  plat::Image img;
  Bytes f = RleBmp(8, 4, 2, whole);
  ASSERT_TRUE(plat::DecodeBmp(f.data(), f.size(), &img));
  EXPECT_EQ(Px(img, 0, 1), (Bytes{3, 2, 1, 255}));
  EXPECT_EQ(Px(img, 3, 0), (Bytes{6, 4, 2, 255}));
  f = RleBmp(4, 255, 2, {255, 0x12, 0, 1});
  ASSERT_TRUE(plat::DecodeBmp(f.data(), f.size(), &img));
  EXPECT_EQ(Px(img, 0, 1), (Bytes{3, 2, 1, 255}));
  EXPECT_EQ(Px(img, 1, 1), (Bytes{6, 4, 2, 255}));
  EXPECT_EQ(Px(img, 254, 1), (Bytes{3, 2, 1, 255}));
}

// The decoder follows a run-length picture's codes to their end code,
// however far past the picture they go (64 MB of runs of 255 pixels held it
// for 5 s), so the codes are walked first: up to the end code they may set
// at most twice the picture's pixels and number at most twice its pixels
// and two a row besides. Literal runs (0, a count of 3 and more, then a byte
// a pixel, or a byte for two, padded to 2 bytes) are stepped over whole.
TEST(BmpImage, RunLengthCodesEndWithinWhatThePictureNeeds) {
  // 4 x 2 (8 pixels, 2 rows: at most 20 codes): a run, a row's end and a
  // run make the picture, row ends up to n codes, then the end code.
  const auto codes = [](int n) {
    Bytes c = {4, 1, 0, 0, 4, 2};
    for (int i = 3; i < n; ++i) c.insert(c.end(), {0, 0});
    c.insert(c.end(), {0, 1});
    return c;
  };
  ExpectBmpCases({
      // Read one byte short, or a byte a 4-bit pixel, the end code would be
      // missed.
      {"8 bits, literal of 3", RleBmp(8, 3, 1, {0, 3, 1, 2, 3, 0, 0, 1}), ""},
      {"4 bits, literal of 5", RleBmp(4, 5, 1, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1}), ""},
      {"a move", RleBmp(8, 4, 2, {2, 1, 0, 2, 1, 0, 1, 3, 0, 0, 4, 2, 0, 1}), ""},
      // A move's two bytes (dx 1, dy 0) then runs of 1 and 255 pixels: read
      // one byte short, its dy and the run's count make an end code (0, 1)
      // and the runs past the picture are never counted (the picture is
      // taken); one byte long, the end code is missed.
      {"a move, then runs past the picture", RleBmp(8, 4, 2, {0, 2, 1, 0, 1, 1, 255, 3, 255, 3, 0, 1}),
       "run-length codes that go on past the picture"},
      {"4 bits, a move, then runs past the picture", RleBmp(4, 4, 2, {0, 2, 1, 0, 1, 0x11, 255, 0x33, 0, 1}),
       "run-length codes that go on past the picture"},
      {"20 codes", RleBmp(8, 4, 2, codes(20)), ""},
      {"21 codes", RleBmp(8, 4, 2, codes(21)), "run-length codes that go on past the picture"},
      {"runs of 17 pixels", RleBmp(8, 4, 2, {4, 1, 0, 0, 4, 2, 9, 3, 0, 1}), "run-length codes that go on past the picture"},
      {"runs of 16 pixels", RleBmp(8, 4, 2, {4, 1, 0, 0, 4, 2, 8, 3, 0, 1}), ""},
      {"no end code", RleBmp(8, 4, 2, {4, 1, 0, 0, 4, 2}), "run-length codes without their end"},
      {"literal past the file", RleBmp(8, 4, 2, {0, 5, 1, 2}), "run-length codes without their end"},
  });
  // The 4-bit literal's fifth pixel is entry 5.
  plat::Image img;
  const Bytes f = RleBmp(4, 5, 1, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1});
  ASSERT_TRUE(plat::DecodeBmp(f.data(), f.size(), &img));
  EXPECT_EQ(Px(img, 4, 0), (Bytes{15, 10, 5, 255}));
}

}  // namespace

namespace {

// As the BMP reader: a DDS header is held to the readers' size limit, and
// the picture is made only once the file holds all of its pixels. 4096 x
// 4096 is allowed, but its 64 MB of pixels are made only for a file that
// carries them; the cases run with 32 MB of address space to spare.
TEST(DdsImage, ClaimedSizesAreCheckedBeforeThePictureIsMade) {
  const struct {
    const char* what;
    Bytes file;
    const char* why;
  } cases[] = {
      // Sides within 8192, but 64 M pixels.
      {"8192 x 8192", Header(8192, 8192, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), "bad image size"},
      {"4097 x 4096", Header(4097, 4096, 0x40, 0, 16, 0xF800, 0x07E0, 0x001F, 0), "bad image size"},
      {"4096 x 4096 ARGB, no pixels", Header(4096, 4096, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
       "truncated"},
      {"4096 x 4096 DXT1, no blocks", Header(4096, 4096, 0x4, 0x31545844, 0, 0, 0, 0, 0), "truncated"},
  };
  const AddressSpaceCap cap(uint64_t(32) << 20);
  ASSERT_TRUE(cap.Set());
  for (const auto& c : cases) {
    plat::Image img;
    std::string why;
    EXPECT_FALSE(plat::DecodeDds(c.file.data(), c.file.size(), &img, &why)) << c.what;
    EXPECT_EQ(why, c.why) << c.what;
  }
}

// The size a BMP's header claims, read without decoding, for a caller that
// bounds the picture before it is made; the header checks are the
// decoder's.
TEST(BmpImage, SizeIsReadFromTheHeaderAlone) {
  int w = -1, h = -1;
  std::string why;
  const Bytes topDown = testsupport::BmpFile(40, 3, -2, 24, 0, Bytes(2 * 12, 0x55));
  ASSERT_TRUE(plat::ReadBmpSize(topDown.data(), topDown.size(), &w, &h, &why)) << why;
  EXPECT_ALL({VAL(w, 3), VAL(h, 2)});
  const Bytes runs = RleBmp(8, 4096, 4096, Bytes(2 * 4096 * 17, 0));  // the codes are not read
  ASSERT_TRUE(plat::ReadBmpSize(runs.data(), runs.size(), &w, &h, &why)) << why;
  EXPECT_ALL({VAL(w, 4096), VAL(h, 4096)});
  const Bytes huge = testsupport::BmpFile(40, 65535, 65535, 32, 0, {});
  EXPECT_FALSE(plat::ReadBmpSize(huge.data(), huge.size(), &w, &h, &why));
  EXPECT_EQ(why, "bad image size");
  EXPECT_FALSE(plat::ReadBmpSize(topDown.data(), topDown.size() - 1, &w, &h, &why));
  EXPECT_EQ(why, "truncated");
  const Bytes unknown = testsupport::BmpFile(40, 4096, 4096, 32, 4, {});
  EXPECT_FALSE(plat::ReadBmpSize(unknown.data(), unknown.size(), &w, &h, &why));
  EXPECT_EQ(why, "unsupported compression");
}

// Memory running out while a BMP's or DDS file's picture is made fails the
// decode, with nothing made and nothing thrown.
TEST(BmpImage, MemoryRunningOutFailsTheDecode) {
  const Bytes bmp = testsupport::BmpFile(40, 16, 16, 24, 0, Bytes(16 * 48, 0x20));
  const plat::Image src = testsupport::MakeImage(16, 16, [](int x, int y) { return 0xFF000000u | uint32_t(x * y); });
  const Bytes dds = plat::EncodeDds(src, plat::DdsLayout::kA8R8G8B8);
  for (const Bytes* f : {&bmp, &dds}) {
    plat::Image img;
    std::string why;
    bool ok = true;
    int refused = 0;
    {
      testsupport::NewFails fail(16 * 16 * 4);
      ok = f == &bmp ? plat::DecodeBmp(f->data(), f->size(), &img, &why) : plat::DecodeDds(f->data(), f->size(), &img, &why);
      refused = fail.Refused();
    }
    EXPECT_ALL({VAL(ok, false), VAL(refused, 1), VAL(img.width, 0), VAL(img.rgba.size(), size_t{0})});
    EXPECT_EQ(why, "out of memory");
  }
}

}  // namespace

namespace {

// A BMP or DDS file cut short at any byte is refused, at a cost that
// follows its bytes (see tests/support/PictureCuts.h). The most RGBA a byte
// may hold, worked from the formats: 24-bit rows take 3 bytes a pixel (4/3
// of RGBA: 2 a byte); run-length codes set at most 255 pixels with 2 bytes
// (510 a byte); 32-bit DDS pixels 4 bytes (1 a byte), DXT1 8 bytes and
// DXT5 16 for each 4 x 4 block (8 and 4 a byte).
TEST(BmpImage, EveryCutOfAPictureIsRefusedAtTheCostOfItsBytes) {
  const plat::Image small = testsupport::MakeImage(5, 3, [](int x, int y) { return 0xFF000000u | uint32_t(x * 50 + y); });
  const plat::Image large = testsupport::MakeImage(256, 128, [](int x, int y) { return 0xFF000000u | uint32_t(x * y); });
  // Runs, a literal run, row ends (a row left short), the end code.
  const Bytes runs8 = RleBmp(8, 6, 3, {3, 1, 0, 3, 7, 8, 9, 0, 0, 0, 6, 2, 0, 0, 2, 3, 0, 1});
  const Bytes runs4 = RleBmp(4, 6, 3, {6, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 6, 0x9A, 0, 1});
  Bytes rows24(3 * 16, 0);  // 5 pixels of 3 bytes, padded to 16
  for (size_t i = 0; i < rows24.size(); ++i) rows24[i] = uint8_t(i * 7);
  Bytes largeRows(128 * 768);
  for (size_t i = 0; i < largeRows.size(); ++i) largeRows[i] = uint8_t(i * 13 + i / 768);
  Bytes largeRuns;
  for (int y = 0; y < 128; ++y) largeRuns.insert(largeRuns.end(), {255, uint8_t(y), 1, 3, 0, 0});
  largeRuns.insert(largeRuns.end(), {0, 1});
  const struct {
    const char* what;
    const testsupport::PictureReader& reader;
    Bytes file;
    uint64_t rgbaPerByte;
    bool everyByte;  // else seeded cuts
  } cases[] = {
      {"BMP 24-bit", testsupport::kBmpReader, testsupport::BmpFile(40, 5, 3, 24, 0, rows24), 2, true},
      {"BMP core header", testsupport::kBmpReader, testsupport::BmpFile(12, 5, 3, 24, 0, rows24), 2, true},
      {"BMP RLE8", testsupport::kBmpReader, runs8, 510, true},
      {"BMP RLE4", testsupport::kBmpReader, runs4, 510, true},
      {"DDS 32-bit", testsupport::kDdsReader, plat::EncodeDds(small, plat::DdsLayout::kA8R8G8B8), 1, true},
      {"DDS DXT1", testsupport::kDdsReader, plat::EncodeDds(small, plat::DdsLayout::kDxt1), 8, true},
      {"DDS DXT5", testsupport::kDdsReader, plat::EncodeDds(small, plat::DdsLayout::kDxt5), 4, true},
      {"large BMP 24-bit", testsupport::kBmpReader, testsupport::BmpFile(40, 256, 128, 24, 0, largeRows), 2, false},
      {"large BMP RLE8", testsupport::kBmpReader, RleBmp(8, 256, 128, largeRuns), 510, false},
      {"large DDS DXT1", testsupport::kDdsReader, plat::EncodeDds(large, plat::DdsLayout::kDxt1), 8, false},
      {"large DDS DXT5", testsupport::kDdsReader, plat::EncodeDds(large, plat::DdsLayout::kDxt5), 4, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    plat::Image whole;
    ASSERT_TRUE(c.reader.decode(c.file.data(), c.file.size(), &whole));  // the file itself is sound
    testsupport::ExpectCutsRefused(c.reader, c.file, c.rgbaPerByte,
                                   c.everyByte ? testsupport::EveryCut(c.file.size())
                                               : testsupport::SeededCuts(c.file.size(), 48, 11));
  }
}

}  // namespace
