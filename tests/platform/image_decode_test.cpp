#include "platform/image_decode.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

#include "support/NewFails.h"
#include "support/PictureCuts.h"
#include "support/image_files.h"

using plat::DecodeImage;
using plat::Image;
using testsupport::EncodeJpeg;
using testsupport::EncodePng;
using testsupport::FlatPng;
using testsupport::PngChunk;
using testsupport::MakeImage;
using testsupport::PixelAt;
using testsupport::PngKind;
using testsupport::RepeatScan;
using testsupport::SpectralScript;

namespace {

// w x h (7 x 5: odd, non-power-of-two) with a distinct colour and alpha per pixel.
Image Pattern(int w = 7, int h = 5) {
  return MakeImage(w, h, [](int x, int y) {
    return uint32_t(x * 30 + y) << 24 | uint32_t(x * 36) << 16 | uint32_t(y * 60) << 8 | uint32_t(255 - x * 20);
  });
}

// Interlaced too: the passes of sizes where some passes hold no pixel (one
// column or row) are combined into the same picture.
TEST(ImageDecode, PngKeepsEveryPixelAndAlphaAtAnySize) {
  const int sizes[][2] = {{7, 5}, {1, 1}, {2, 1}, {1, 9}, {9, 1}, {5, 3}};
  for (const bool interlaced : {false, true})
    for (const auto& size : sizes) {
      SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1] << (interlaced ? ", interlaced" : ""));
      const Image src = Pattern(size[0], size[1]);
      const auto png = EncodePng(src, PngKind::kRgba, interlaced);
      Image out;
      std::string err;
      ASSERT_TRUE(DecodeImage(png.data(), png.size(), &out, &err)) << err;
      EXPECT_EQ(out.width, size[0]);
      EXPECT_EQ(out.height, size[1]);
      EXPECT_EQ(out.rgba, src.rgba);
    }
}

TEST(ImageDecode, PngWithoutAlphaPaletteOrGreyBecomesOpaqueRgba) {
  const Image src = MakeImage(3, 2, [](int x, int y) { return 0x80000000u | uint32_t(x * 80) << 16 | uint32_t(y * 90) << 8 | 7u; });
  Image out;
  const auto rgb = EncodePng(src, PngKind::kRgb);
  ASSERT_TRUE(DecodeImage(rgb.data(), rgb.size(), &out));
  EXPECT_EQ(PixelAt(out, 2, 1), 0xFFA05A07u);
  const auto pal = EncodePng(src, PngKind::kPalette);
  ASSERT_TRUE(DecodeImage(pal.data(), pal.size(), &out));
  EXPECT_EQ(PixelAt(out, 1, 1), 0xFF505A07u);
  const auto grey = EncodePng(src, PngKind::kGrey);
  ASSERT_TRUE(DecodeImage(grey.data(), grey.size(), &out));
  EXPECT_EQ(PixelAt(out, 2, 0), 0xFFA0A0A0u);  // grey = red channel, replicated
}

TEST(ImageDecode, JpegDecodesOpaqueWithinCompressionError) {
  const Image src = MakeImage(33, 17, [](int x, int) { return x < 16 ? 0xFFC03020u : 0xFF2050E0u; });
  const auto jpg = EncodeJpeg(src, 100);
  Image out;
  std::string err;
  ASSERT_TRUE(DecodeImage(jpg.data(), jpg.size(), &out, &err)) << err;
  ASSERT_EQ(out.width, 33);
  ASSERT_EQ(out.height, 17);
  for (int y : {0, 8, 16})
    for (int x : {2, 30}) {
      const uint32_t want = PixelAt(src, x, y), got = PixelAt(out, x, y);
      EXPECT_EQ(got >> 24, 0xFFu);
      for (int s : {0, 8, 16}) EXPECT_NEAR(int(got >> s & 0xFF), int(want >> s & 0xFF), 6) << x << "," << y;
    }
}

TEST(ImageDecode, UnknownEmptyAndTruncatedDataFailCleanly) {
  Image out;
  std::string err;
  EXPECT_FALSE(DecodeImage(nullptr, 0, &out, &err));
  const char text[] = "not an image at all";
  EXPECT_FALSE(DecodeImage(text, sizeof text, &out, &err));
  EXPECT_EQ(err, "unknown image format");
  const auto png = EncodePng(Pattern());
  const auto jpg = EncodeJpeg(Pattern());
  for (size_t cut : {size_t{8}, size_t{20}, png.size() / 2, png.size() - 1}) {
    EXPECT_FALSE(DecodeImage(png.data(), cut, &out, &err)) << cut;
    EXPECT_TRUE(out.rgba.empty());
    EXPECT_EQ(out.width, 0);
  }
  for (size_t cut : {size_t{3}, size_t{40}, jpg.size() / 2, jpg.size() - 2}) {
    EXPECT_FALSE(DecodeImage(jpg.data(), cut, &out, &err)) << cut;
    EXPECT_TRUE(out.rgba.empty());
  }
}

TEST(ImageDecode, HugeDeclaredSizeIsRefusedBeforeAllocating) {
  auto png = EncodePng(Pattern());
  // IHDR width at bytes 16..19; 60000 wide. The chunk CRC no longer matches,
  // so libpng stops either way; patch the CRC too so only the size check
  // can refuse it.
  png[16] = 0; png[17] = 0; png[18] = 0xEA; png[19] = 0x60;
  uint32_t crc = static_cast<uint32_t>(crc32(0, png.data() + 12, 17));
  png[29] = crc >> 24; png[30] = crc >> 16; png[31] = crc >> 8; png[32] = crc;
  Image out;
  std::string err;
  EXPECT_FALSE(DecodeImage(png.data(), png.size(), &out, &err));
  EXPECT_TRUE(out.rgba.empty());
}

// A scan's work is its blocks times one more than its band's coefficients,
// and the scans of a picture may do at most 6 times the work of a plain
// picture's one scan of every block (65 a block); the scan that takes the
// sum past it is named, and the file refused before its first scan is
// decoded. Worked by hand: 32 x 32 in colour sampled 4:2:0 has 24 blocks
// (16 luma, 4 of each chroma; 1,560 plain, 9,360 at most), in grey 16
// (1,040 plain, 6,240 at most: 390 a block); a DC scan of all 24 blocks
// does 48, the luma's whole AC band 1,024, a chroma's 256.
TEST(ImageDecode, JpegScansAreBoundedByTheirWorkAndCountedWhereTheyStop) {
  // Four blocks of one colour each, one per 16 x 16 unit of the picture.
  const Image src = MakeImage(32, 32, [](int x, int y) { return (x / 16 + y / 16) % 2 ? 0xFF20A040u : 0xFFE0C010u; });
  const Image grey = MakeImage(32, 32, [](int x, int y) { return (x / 16 + y / 16) % 2 ? 0xFF404040u : 0xFFC0C0C0u; });
  const testsupport::JpegForm greyForm{true, 1, false};
  const std::vector<testsupport::JpegScan> refined = {
      {{0, 1, 2}, 0, 0, 0, 1}, {{0, 1, 2}, 0, 0, 1, 0}, {{0}, 1, 63, 0, 0}, {{1}, 1, 63, 0, 0}, {{2}, 1, 63, 0, 0}};
  const auto limit = [](int scan) {
    return "jpeg: scan " + std::to_string(scan) + ": the scans do more than 6 times the work of a plain picture of this size";
  };
  // Grey: DC (2 a block), coefficient 1 (2), 2..63 (63): 67 a block. With
  // the 2..63 band five times more and coefficient 1 four times more, 390:
  // the bound exactly; five times more, 392, refused at the last scan (13).
  const std::vector<uint8_t> greyBands =
      RepeatScan(EncodeJpeg(grey, 100, greyForm, {{{0}, 0, 0, 0, 0}, {{0}, 1, 1, 0, 0}, {{0}, 2, 63, 0, 0}}), 3, 5);
  // The deepest script the common encoders write for grey: DC, two bands
  // at bit 3, three refinements of 1..63: 2 + 9 + 56 + 3 x 64 = 259 a block.
  const std::vector<testsupport::JpegScan> deepGrey = {{{0}, 0, 0, 0, 0},  {{0}, 1, 8, 0, 3},  {{0}, 9, 63, 0, 3},
                                                        {{0}, 1, 63, 3, 2}, {{0}, 1, 63, 2, 1}, {{0}, 1, 63, 1, 0}};
  // With the DC's last bit sent apart too: 261 a block (4.02 times plain).
  std::vector<testsupport::JpegScan> deepGreyDc = deepGrey;
  deepGreyDc[0].al = 1, deepGreyDc.push_back({{0}, 0, 0, 1, 0});
  // The luma band repeated 2,000 times, a marker in place of the second
  // scan's first bits (its header of 10 bytes after its 0xFFDA): refused
  // for its work before that scan is decoded, not for the damage.
  std::vector<uint8_t> damagedSecond = RepeatScan(EncodeJpeg(src, 100, SpectralScript(4)), 2, 2000);
  size_t second = 0;
  for (int sos = 0; sos < 2; ++second) sos += damagedSecond[second] == 0xFF && damagedSecond[second + 1] == 0xDA;
  damagedSecond[second + 11] = 0xFF, damagedSecond[second + 12] = 0xD5;
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    std::string error;  // empty: decodes; ending in ": ", how the error begins
    const Image* picture = nullptr;  // what it decodes to: src when null
  };
  const std::vector<Case> cases = {
      // Every AC coefficient in a scan of its own: 190 scans, 3,072.
      {"190 scans", EncodeJpeg(src, 100, SpectralScript(190)), ""},
      {"the encoder's progressive script, 4:2:0", EncodeJpeg(src, 100, testsupport::JpegForm{false, 2, true}), ""},
      {"the encoder's progressive script, 4:4:4", EncodeJpeg(src, 100, testsupport::JpegForm{false, 1, true}), ""},
      {"the encoder's progressive script, grey", EncodeJpeg(grey, 100, testsupport::JpegForm{true, 1, true}), "",
       &grey},
      {"the deepest grey script", EncodeJpeg(grey, 100, greyForm, deepGrey), "", &grey},
      {"3 bits refined, the DC's last apart", EncodeJpeg(grey, 100, greyForm, deepGreyDc), "", &grey},
      {"the second scan damaged", damagedSecond, limit(11)},
      // Arithmetic-coded, under the same bound.
      {"arithmetic-coded", EncodeJpeg(src, 100, refined, true), ""},
      {"arithmetic-coded, a scan repeated 2,000 times",
       RepeatScan(EncodeJpeg(src, 100, SpectralScript(4), true), 2, 2000), limit(11)},
      {"a scan for each component",
       EncodeJpeg(src, 100, {{{0}, 0, 63, 0, 0}, {{1}, 0, 63, 0, 0}, {{2}, 0, 63, 0, 0}}), ""},
      {"grey at the bound", RepeatScan(greyBands, 2, 4), "", &grey},
      {"grey past the bound", RepeatScan(greyBands, 2, 5), limit(13), &grey},
      // The luma band again and again, each time as if new (no warning):
      // 48 + 1,024 x 9 = 9,264 by scan 10; the next scan (a tenth luma
      // band, or a chroma's 256 after the eighth repeat) takes it past.
      {"a scan repeated 2,000 times", RepeatScan(EncodeJpeg(src, 100, SpectralScript(4)), 2, 2000), limit(11)},
      {"a scan repeated 8 times", RepeatScan(EncodeJpeg(src, 100, SpectralScript(4)), 2, 8), limit(11)},
      {"a scan repeated 7 times", RepeatScan(EncodeJpeg(src, 100, SpectralScript(4)), 2, 7), ""},
      // A refinement of the DC bits repeated: the third scan refines bits
      // that are already there, a warning that ends the decoding at once;
      // repeated 2,000 times, the script is refused before it is decoded,
      // at the scan whose 48 take it past 9,360 (48 x 196).
      {"a refinement repeated", RepeatScan(EncodeJpeg(src, 100, refined), 2, 5), "jpeg: scan 3: "},
      {"a refinement repeated 2,000 times", RepeatScan(EncodeJpeg(src, 100, refined), 2, 2000), limit(196)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image out;
    std::string err;
    const bool ok = DecodeImage(c.file.data(), c.file.size(), &out, &err);
    if (c.error.empty()) {
      EXPECT_TRUE(ok) << err;
      if (!ok) continue;
      const Image& want = c.picture ? *c.picture : src;
      for (int y : {4, 27})
        for (int x : {4, 27})
          for (int s : {0, 8, 16})
            EXPECT_NEAR(int(PixelAt(out, x, y) >> s & 0xFF), int(PixelAt(want, x, y) >> s & 0xFF), 6) << x << "," << y;
      continue;
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(out.rgba.empty());
    if (c.error.back() == ' ') {
      EXPECT_EQ(err.rfind(c.error, 0), 0u) << err;
      EXPECT_GT(err.size(), c.error.size()) << "the decoder's own words follow";
    } else {
      EXPECT_EQ(err, c.error);
    }
  }
}

// The bytes of text, deflated by zlib.
std::vector<uint8_t> Deflated(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::vector<uint8_t> z(size);
  EXPECT_EQ(compress2(z.data(), &size, reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()), 9),
            Z_OK);
  z.resize(size);
  return z;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// A PNG is read for its picture only. Its text (tEXt, zTXt, iTXt), colour
// profile and other ancillary chunks are passed over unread, and none is
// kept: three zTXt chunks of 5 KB that inflate to 5 MB each, an iTXt
// and an iCCP of the same kind and a plain 7 KB text would otherwise be
// inflated and kept by the library, past the working memory a decode may
// take (kMaxPngWorkBytes), and refuse the picture.
TEST(ImageDecode, PngTextAndOtherAncillaryChunksAreSkippedUnread) {
  const std::vector<uint8_t> z = Deflated(std::string(5 << 20, 'A'));
  ASSERT_LT(z.size(), 8000u);
  // zTXt: keyword, 0, method 0, data. iTXt: keyword, 0, compressed 1,
  // method 0, language tag and translated keyword (both empty, each
  // ended by 0), data. iCCP: name, 0, method 0, data.
  const std::vector<uint8_t> ztxt = PngChunk("zTXt", Cat({Text("Comment"), {0, 0}, z}));
  const std::vector<uint8_t> extra =
      Cat({ztxt, ztxt, ztxt, PngChunk("iTXt", Cat({Text("Title"), {0, 1, 0, 0, 0}, z})),
           PngChunk("iCCP", Cat({Text("icc"), {0, 0}, z})), PngChunk("tEXt", Cat({Text("Author"), {0}, Text(std::string(7000, 'b'))}))});
  ASSERT_EQ(extra.size(), 3 * (12 + 9 + z.size()) + (12 + 10 + z.size()) + (12 + 5 + z.size()) + (12 + 7 + 7000));
  const std::vector<uint8_t> png = FlatPng(3, 2, 0x80112233u, extra);
  Image out;
  std::string err;
  ASSERT_TRUE(DecodeImage(png.data(), png.size(), &out, &err)) << err;
  ASSERT_EQ(out.width, 3);
  ASSERT_EQ(out.height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(out, x, y), 0x80112233u) << x << "," << y;

  // The transparency chunk is the one ancillary chunk read: a palette
  // picture of 2 x 1 (entries green and red, the red one's alpha 0x40)
  // keeps the alpha of its entries.
  const std::vector<uint8_t> pal =
      Cat({{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, PngChunk("IHDR", {0, 0, 0, 2, 0, 0, 0, 1, 8, 3, 0, 0, 0}),
           PngChunk("PLTE", {0, 255, 0, 255, 0, 0}), PngChunk("tRNS", {0xFF, 0x40}),
           PngChunk("IDAT", Deflated(std::string("\0\0\1", 3))), PngChunk("IEND", {})});
  ASSERT_TRUE(DecodeImage(pal.data(), pal.size(), &out, &err)) << err;
  EXPECT_EQ(PixelAt(out, 0, 0), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(out, 1, 0), 0x40FF0000u);
}

// A PNG whose data stream goes on after its rows (damage, or a file made to
// hold the loader: 16 MiB of zeros take 16 KB here, a gigabyte takes a
// megabyte) is decoded from its rows, and what follows them is neither
// inflated nor read further than kPngReadPastRows: the file cut there gives
// the same picture. Within that reach a file ends (the stream's end, its
// CRC, the end chunk), and a cut there still refuses it, as a cut inside
// the rows does.
TEST(ImageDecode, PngStopsReadingSoonAfterItsRows) {
  size_t rowsEnd = 0, plainRowsEnd = 0;
  const auto png = testsupport::PngWithTrailingZeros(64, 64, 0x80C04020u, 16, &rowsEnd);
  const auto plain = testsupport::PngWithTrailingZeros(64, 64, 0x80C04020u, 0, &plainRowsEnd);
  ASSERT_EQ(rowsEnd, plainRowsEnd);
  ASSERT_GT(png.size(), rowsEnd + 2 * plat::kPngReadPastRows);
  const struct {
    const char* what;
    const std::vector<uint8_t>& file;
    size_t size;
    bool decodes;
  } cases[] = {
      {"no zeros", plain, plain.size(), true},
      {"16 MiB of zeros", png, png.size(), true},
      {"cut at the reach", png, rowsEnd + plat::kPngReadPastRows, true},
      {"cut within the reach", png, rowsEnd + 64, false},
      {"cut inside the rows", png, rowsEnd - 64, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Image out;
    std::string err;
    ASSERT_EQ(DecodeImage(c.file.data(), c.size, &out, &err), c.decodes) << err;
    if (!c.decodes) {
      EXPECT_TRUE(out.rgba.empty());
      continue;
    }
    ASSERT_EQ(out.width, 64);
    ASSERT_EQ(out.height, 64);
    for (int y : {0, 63})
      for (int x : {0, 63}) EXPECT_EQ(PixelAt(out, x, y), 0x80C04020u) << x << "," << y;
  }
  // An interlaced picture stops after the last row of its last pass: here a
  // data chunk of 400 KB takes the end chunk's place, past the 283,194
  // bytes 7 x 5 pixels may take before their rows are made (see below).
  auto interlaced = EncodePng(Pattern(), PngKind::kRgba, true);
  interlaced.resize(interlaced.size() - 12);
  const auto more = PngChunk("IDAT", std::vector<uint8_t>(400000, 0));
  interlaced.insert(interlaced.end(), more.begin(), more.end());
  Image out;
  std::string err;
  ASSERT_TRUE(DecodeImage(interlaced.data(), interlaced.size(), &out, &err)) << err;
  EXPECT_EQ(out.rgba, Pattern().rgba);
}

// Before its rows are made a PNG may take twice the rows' bytes (as 16-bit
// RGBA), 2 KB for each row of each pass and 256 KB besides, chunk headers
// and data read: for 3 x 2 pixels, 2 x 2 x 25 + 2 x 2 x 2048 + 262,144 =
// 270,436 bytes. A file padded with empty chunks before its data (64 MB
// of them held the decoder for a quarter of a second) is refused past
// them; an ancillary chunk is passed over unread, 12 bytes for its
// length, type and CRC, however long.
TEST(ImageDecode, PngPaddedBeforeItsRowsIsRefused) {
  const auto repeated = [](const std::vector<uint8_t>& chunk, int n) {
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
  };
  const std::vector<uint8_t> emptyData = PngChunk("IDAT", {}), emptyOther = PngChunk("abCd", {});
  const struct {
    const char* what;
    std::vector<uint8_t> extra;
    bool decodes;
  } cases[] = {
      {"22,000 empty data chunks", repeated(emptyData, 22000), true},
      {"23,000 empty data chunks", repeated(emptyData, 23000), false},
      {"23,000 empty ancillary chunks", repeated(emptyOther, 23000), false},
      {"a 6 MB ancillary chunk", PngChunk("abCd", std::vector<uint8_t>(6u << 20, 'x')), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> png = FlatPng(3, 2, 0xFF102030u, c.extra);
    Image out;
    std::string err;
    EXPECT_EQ(DecodeImage(png.data(), png.size(), &out, &err), c.decodes) << err;
    if (c.decodes) {
      EXPECT_EQ(PixelAt(out, 2, 1), 0xFF102030u);
    } else {
      EXPECT_EQ(err, "png: more data than its rows can need");
    }
  }
}

// The size comes from the header: the signature and header chunk of a PNG,
// the markers of a JPEG up to its first scan, without decoding (a file
// that cannot hold the picture its header claims is refused: see below).
TEST(ImageDecode, SizeIsReadFromTheHeaderAlone) {
  int w = 0, h = 0;
  const auto png = EncodePng(Pattern());
  ASSERT_TRUE(plat::ReadImageSize(png.data(), png.size(), &w, &h));
  EXPECT_EQ(w, 7);
  EXPECT_EQ(h, 5);
  const auto big = FlatPng(4096, 4096, 0xFF000000u);
  ASSERT_TRUE(plat::ReadImageSize(big.data(), big.size(), &w, &h));
  EXPECT_EQ(w, 4096);
  EXPECT_EQ(h, 4096);
  const auto jpg = EncodeJpeg(MakeImage(33, 17, [](int, int) { return 0xFF808080u; }));
  ASSERT_TRUE(plat::ReadImageSize(jpg.data(), jpg.size(), &w, &h));
  EXPECT_EQ(w, 33);
  EXPECT_EQ(h, 17);

  w = h = -1;
  std::vector<uint8_t> notFirst = png;
  notFirst[12] = 'i';  // "iHDR": no header chunk first
  const char text[] = "not an image at all, but long enough";
  EXPECT_FALSE(plat::ReadImageSize(png.data(), 23, &w, &h));
  EXPECT_FALSE(plat::ReadImageSize(notFirst.data(), notFirst.size(), &w, &h));
  EXPECT_FALSE(plat::ReadImageSize(text, sizeof text, &w, &h));
  EXPECT_FALSE(plat::ReadImageSize(jpg.data(), 40, &w, &h));  // cut inside its tables
  EXPECT_FALSE(plat::ReadImageSize(nullptr, 0, &w, &h));
  EXPECT_EQ(w, -1);
  // A chunk of another name before the header chunk: the decoder refuses
  // the file as the size reader does.
  const std::vector<uint8_t> headerSecond =
      Cat({{png.begin(), png.begin() + 8}, PngChunk(".IHD", std::vector<uint8_t>(13, 0)), {png.begin() + 8, png.end()}});
  EXPECT_FALSE(plat::ReadImageSize(headerSecond.data(), headerSecond.size(), &w, &h));
  Image out;
  std::string err;
  EXPECT_FALSE(DecodeImage(headerSecond.data(), headerSecond.size(), &out, &err));
  EXPECT_EQ(err, "png: no header chunk first");
}

// A picture whose RGBA would take more than the bytes allowed is refused
// before any room is made for it: 7 x 5 pixels take 140 bytes.
TEST(ImageDecode, PictureLargerThanTheBytesAllowedIsRefused) {
  const std::vector<std::vector<uint8_t>> files = {EncodePng(Pattern()), EncodeJpeg(Pattern())};
  for (const auto& f : files) {
    Image out;
    std::string err;
    ASSERT_TRUE(DecodeImage(f.data(), f.size(), &out, &err, 140)) << err;
    EXPECT_EQ(out.rgba.size(), 140u);
    EXPECT_FALSE(DecodeImage(f.data(), f.size(), &out, &err, 139));
    EXPECT_TRUE(out.rgba.empty());
    EXPECT_NE(err.find("larger than the bytes allowed"), std::string::npos) << err;
  }
}

// Memory running out while the picture is made fails the decode, with
// nothing made and nothing thrown: the PNG's 64 x 64 x 4 bytes; the JPEG's
// 64 x 64 x 3 of decoded rows, then its 64 x 64 x 4 of RGBA.
TEST(ImageDecode, MemoryRunningOutFailsTheDecode) {
  const Image src = MakeImage(64, 64, [](int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 8 | uint32_t(y * 4); });
  const auto png = EncodePng(src);
  const auto jpg = EncodeJpeg(src);
  const struct {
    const std::vector<uint8_t>& file;
    size_t refused;
    const char* error;
  } cases[] = {{png, 64 * 64 * 4, "png: out of memory"},
               {jpg, 64 * 64 * 3, "jpeg: out of memory"},
               {jpg, 64 * 64 * 4, "jpeg: out of memory"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refused);
    Image out;
    std::string err;
    bool ok = true;
    int refused = 0;
    {
      testsupport::NewFails fail(c.refused);
      ok = DecodeImage(c.file.data(), c.file.size(), &out, &err);
      refused = fail.Refused();
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(err, c.error);
    EXPECT_TRUE(out.rgba.empty());
    EXPECT_EQ(out.width, 0);
    ASSERT_TRUE(DecodeImage(c.file.data(), c.file.size(), &out, &err)) << err;  // with memory again
  }
}

}  // namespace

namespace {

using testsupport::EveryCut;
using testsupport::ExpectCutsRefused;
using testsupport::kImageReader;
using testsupport::SeededCuts;

// Decodes the file with every allocation of a megabyte or more refused, as
// one the size its header claims would be: how many were asked for (0: none
// was, the file refused from its header), with the decode's error.
int RefusedWhileDecoding(const std::vector<uint8_t>& file, std::string* err) {
  Image out;
  testsupport::NewFails fail(1u << 20);
  EXPECT_FALSE(DecodeImage(file.data(), file.size(), &out, err));
  return fail.Refused();
}

// A file refused from its header: the size reader gives no size, and the
// decoder refuses it with the error given.
void ExpectRefusedFromItsHeader(const std::vector<uint8_t>& file, const std::string& error) {
  int w = 0, h = 0;
  EXPECT_FALSE(plat::ReadImageSize(file.data(), file.size(), &w, &h));
  Image out;
  std::string err;
  EXPECT_FALSE(DecodeImage(file.data(), file.size(), &out, &err));
  EXPECT_EQ(err, error);
}

// A picture cut short at any byte is refused, and costs what its bytes can
// hold, not what its header claims: no room past a bound linear in the cut,
// and no size read past it (what the image loader charges). The bounds,
// worked from the formats: a PNG's rows are inflated at most 1032 to 1 and
// take a filter byte and their pixels at the file's bit depth, so 8-bit
// RGBA gives less RGBA than its rows (1032 a byte), 8-bit grey or palette
// a quarter as much (4128 a byte); a JPEG's first scan spends a bit at
// least on each 8 x 8 block of each component it holds, here luma 2 x 2
// and two chroma 1 x 1: 6 blocks for each 16 x 16 pixels, 8 blocks a byte,
// 4 x 256 / 6 x 8 = 1366 bytes of RGBA a byte.
TEST(ImageDecode, EveryCutOfAPictureIsRefusedAtTheCostOfItsBytes) {
  const Image small = Pattern();
  const Image large = MakeImage(256, 192, [](int x, int y) { return 0xFF000000u | uint32_t(x * y) << 4 | uint32_t(x ^ y); });
  const std::vector<testsupport::JpegScan> progressive = {
      {{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 5, 0, 2}, {{2}, 1, 63, 0, 1}, {{1}, 1, 63, 0, 1}, {{0}, 6, 63, 0, 2},
      {{0}, 1, 63, 2, 1},      {{0, 1, 2}, 0, 0, 1, 0}, {{2}, 1, 63, 1, 0}, {{1}, 1, 63, 1, 0}, {{0}, 1, 63, 1, 0}};
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    uint64_t rgbaPerByte;
    bool everyByte;  // else seeded cuts
  } cases[] = {
      {"PNG", EncodePng(small), 1032, true},
      {"PNG interlaced", EncodePng(small, PngKind::kRgba, true), 1032, true},
      {"PNG palette", EncodePng(small, PngKind::kPalette), 4128, true},
      {"PNG grey", EncodePng(small, PngKind::kGrey), 4128, true},
      {"JPEG baseline", EncodeJpeg(small, 90), 1366, true},
      {"JPEG progressive", EncodeJpeg(small, 90, progressive), 1366, true},
      {"large PNG", EncodePng(large), 1032, false},
      {"large PNG interlaced", EncodePng(large, PngKind::kRgba, true), 1032, false},
      {"large JPEG", EncodeJpeg(large, 90), 1366, false},
      {"large JPEG progressive", EncodeJpeg(large, 90, progressive), 1366, false},
      // 346 KB of file for 64 MB of pixels: cuts below 65,065 bytes cannot
      // hold the rows (see below), the rest are read as far as they go.
      {"4096 x 4096 PNG", FlatPng(4096, 4096, 0xFF336699u), 1032, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectCutsRefused(kImageReader, c.file, c.rgbaPerByte, c.everyByte ? EveryCut(c.file.size()) : SeededCuts(c.file.size(), 24, 7));
  }
}

// A PNG of exactly `size` bytes whose header claims w x h at the bit depth
// and colour type given: the signature (8 bytes) and the header chunk
// (25), an ancillary chunk that fills the file, a data chunk of one
// deflated row and the end chunk (12).
std::vector<uint8_t> PngClaim(uint32_t w, uint32_t h, uint8_t depth, uint8_t colour, bool interlaced, size_t size) {
  const auto be32 = [](uint32_t v) {
    return std::vector<uint8_t>{uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  };
  const std::vector<uint8_t> ihdr =
      Cat({be32(w), be32(h), {depth, colour, 0, 0, uint8_t(interlaced ? 1 : 0)}});
  const std::vector<uint8_t> data = PngChunk("IDAT", Deflated(std::string(64, '\0')));
  const std::vector<uint8_t> head = Cat({{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, PngChunk("IHDR", ihdr)});
  const size_t fill = size - head.size() - 12 - data.size() - 12;
  std::vector<uint8_t> png = Cat({head, PngChunk("abCd", std::vector<uint8_t>(fill, 'p')), data, PngChunk("IEND", {})});
  EXPECT_EQ(png.size(), size);
  return png;
}

// A PNG's raw rows (a filter byte and the row's pixels at the file's bit
// depth, each pass of an interlaced one summed) inflate at most 1032 to 1
// from the bytes after the header chunk (deflate's densest code: a 1-bit
// length code for 258 bytes and a 1-bit distance code, 2 bits for 258
// bytes), so a file shorter than 33 + rows / 1032 bytes cannot hold its
// picture and is refused from its header, by the decoder before it makes
// any room and by ReadImageSize. At the edge the file is read (and here
// the picture's room asked for, and refused). The edges, worked by hand:
//   4096 x 4096 RGBA: 4096 x (1 + 16,384) = 67,112,960 bytes of rows,
//     1032 x 65,032 the first multiple that holds them: 65,065 bytes;
//   interlaced, the seven passes (512 x 512, 512 x 512, 1024 x 512,
//     1024 x 1024, 2048 x 1024, 2048 x 2048, 4096 x 2048, columns by
//     rows): 67,116,544 bytes, 1032 x 65,036: 65,069 bytes;
//   1-bit grey: 4096 x (1 + 512) = 2,101,248, 1032 x 2,037: 2,070 bytes;
//   16-bit RGBA 2048 x 2048: 2048 x (1 + 16,384) = 33,556,480, 1032 x
//     32,516: 32,549 bytes.
TEST(ImageDecode, APngShorterThanItsRowsCanBeIsRefusedFromItsHeader) {
  const struct {
    const char* what;
    uint32_t side;
    uint8_t depth, colour;
    bool interlaced;
    size_t edge;
  } cases[] = {
      {"RGBA", 4096, 8, 6, false, 65065},
      {"RGBA interlaced", 4096, 8, 6, true, 65069},
      {"1-bit grey", 4096, 1, 0, false, 2070},
      {"16-bit RGBA", 2048, 16, 6, false, 32549},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const size_t size : {c.edge - 1, c.edge}) {
      SCOPED_TRACE(size);
      const bool holds = size == c.edge;
      const std::vector<uint8_t> png = PngClaim(c.side, c.side, c.depth, c.colour, c.interlaced, size);
      int w = 0, h = 0;
      EXPECT_EQ(plat::ReadImageSize(png.data(), png.size(), &w, &h), holds);
      std::string err;
      EXPECT_EQ(RefusedWhileDecoding(png, &err), holds ? 1 : 0);
      EXPECT_EQ(err, holds ? "png: out of memory" : "png: file too short for its picture");
    }
  }
  // A seeded sweep of sides, colour types and bit depths, interlaced or
  // not: the header is read at its edge and refused a byte short of it.
  // The rows are counted from the format's table of the seven passes (the
  // pass of each pixel of an 8 x 8 tile), each row of a pass a filter byte
  // and its pixels' bits in whole bytes.
  static const int kPassOf[8][8] = {{1, 6, 4, 6, 2, 6, 4, 6}, {7, 7, 7, 7, 7, 7, 7, 7}, {5, 6, 5, 6, 5, 6, 5, 6},
                                    {7, 7, 7, 7, 7, 7, 7, 7}, {3, 6, 4, 6, 3, 6, 4, 6}, {7, 7, 7, 7, 7, 7, 7, 7},
                                    {5, 6, 5, 6, 5, 6, 5, 6}, {7, 7, 7, 7, 7, 7, 7, 7}};
  const struct {
    uint8_t colour, channels;
    std::vector<uint8_t> depths;
  } kinds[] = {{0, 1, {1, 2, 4, 8, 16}}, {2, 3, {8, 16}}, {3, 1, {1, 2, 4, 8}}, {4, 2, {8, 16}}, {6, 4, {8, 16}}};
  uint64_t seed = 5;
  const auto next = [&seed](uint64_t n) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    return (seed >> 33) % n;
  };
  int swept = 0;
  while (swept < 64) {
    const uint32_t w = 1 + uint32_t(next(4096)), h = 1 + uint32_t(next(4096));
    const auto& kind = kinds[next(5)];
    const uint8_t depth = kind.depths[next(kind.depths.size())];
    const bool interlaced = next(2) == 1;
    const uint64_t bits = uint64_t(kind.channels) * depth;
    uint64_t rows = 0;
    for (uint32_t y = 0; y < h; ++y) {
      uint64_t columns[8] = {};  // of each pass in this row
      for (uint32_t x = 0; x < std::min<uint32_t>(w, 8); ++x)
        columns[interlaced ? kPassOf[y % 8][x] : 0] += (w - x + 7) / 8;
      for (const uint64_t c : columns)
        if (c != 0) rows += 1 + (c * bits + 7) / 8;
    }
    const size_t edge = 33 + size_t((rows + 1031) / 1032);
    if (edge < 200) continue;  // a file holds its header and one chunk of each kind
    ++swept;
    SCOPED_TRACE(testing::Message() << w << " x " << h << ", colour " << int(kind.colour) << ", " << int(depth)
                                    << " bits" << (interlaced ? ", interlaced" : "") << ": " << rows << " bytes of rows");
    int rw = 0, rh = 0;
    const std::vector<uint8_t> holds = PngClaim(w, h, depth, kind.colour, interlaced, edge);
    const std::vector<uint8_t> misses = PngClaim(w, h, depth, kind.colour, interlaced, edge - 1);
    EXPECT_TRUE(plat::ReadImageSize(holds.data(), holds.size(), &rw, &rh));
    EXPECT_FALSE(plat::ReadImageSize(misses.data(), misses.size(), &rw, &rh));
  }

  // The 167-byte file of the 4096 x 4096 picture's first row.
  const std::vector<uint8_t> firstRow = FlatPng(4096, 4096, 0xFF336699u, {}, 1);
  ASSERT_LT(firstRow.size(), 200u);
  ExpectRefusedFromItsHeader(firstRow, "png: file too short for its picture");
}

// Where a JPEG's first scan begins: the end of its first SOS segment.
size_t FirstScanAt(const std::vector<uint8_t>& jpg) {
  size_t at = 2;
  while (at + 4 <= jpg.size()) {
    const size_t length = size_t(jpg[at + 2]) << 8 | jpg[at + 3];
    const bool sos = jpg[at + 1] == 0xDA;
    at += 2 + length;
    if (sos) return at;
  }
  ADD_FAILURE() << "no scan";
  return jpg.size();
}

// A Huffman-coded scan spends a bit at least on each 8 x 8 block of each
// component it holds, so a JPEG whose bytes after its first scan's header
// are fewer than an eighth of that scan's blocks cannot hold its picture
// and is refused from its header. The edges, worked by hand for 64 x 64
// (luma 2 x 2: 8 x 8 blocks; chroma 1 x 1: 4 x 4 blocks each): a first
// scan of all three, 96 blocks, 12 bytes; a progressive first scan of the
// second chroma's DC only, 16 blocks, 2 bytes. A header patched to 4096 x
// 4096 over those 64 x 64 pixels is refused before any room is made.
TEST(ImageDecode, AJpegShorterThanItsFirstScanCanBeIsRefusedFromItsHeader) {
  const Image src = MakeImage(64, 64, [](int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 8 | uint32_t(y * 4); });
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    size_t bytes;
  } cases[] = {
      {"baseline", EncodeJpeg(src, 90), 12},
      {"chroma DC first",
       EncodeJpeg(src, 90, {{{2}, 0, 0, 0, 0}, {{0, 1}, 0, 0, 0, 0}, {{0}, 1, 63, 0, 0}, {{1}, 1, 63, 0, 0}, {{2}, 1, 63, 0, 0}}),
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t scan = FirstScanAt(c.file);
    for (const size_t size : {scan + c.bytes - 1, scan + c.bytes}) {
      SCOPED_TRACE(size - scan);
      const bool holds = size == scan + c.bytes;
      int w = 0, h = 0;
      EXPECT_EQ(plat::ReadImageSize(c.file.data(), size, &w, &h), holds);
      Image out;
      std::string err;
      EXPECT_FALSE(DecodeImage(c.file.data(), size, &out, &err));
      EXPECT_EQ(err == "jpeg: file too short for its picture", !holds) << err;
    }
  }
  // The frame header (SOF0: length, precision, then height and width).
  std::vector<uint8_t> claim = EncodeJpeg(src, 90);
  size_t sof = 2;
  while (claim[sof + 1] != 0xC0) sof += 2 + (size_t(claim[sof + 2]) << 8 | claim[sof + 3]);
  claim[sof + 5] = 0x10, claim[sof + 6] = 0x00, claim[sof + 7] = 0x10, claim[sof + 8] = 0x00;
  int w = 0, h = 0;
  EXPECT_FALSE(plat::ReadImageSize(claim.data(), claim.size(), &w, &h));
  std::string err;
  EXPECT_EQ(RefusedWhileDecoding(claim, &err), 0);
  EXPECT_EQ(err, "jpeg: file too short for its picture");
}

// Arithmetic coding spends less than a bit on a block of a flat picture:
// 512 x 512 pixels of one colour take fewer bytes than the 6,144 blocks of
// their first scan (4,096 of luma, 1,024 of each chroma) would need
// Huffman-coded (768 bytes), so no bound follows from the file's size: the
// picture is read, its size given as its header claims (its scans bounded
// by their work as above). Cut in its scan, it is refused.
TEST(ImageDecode, ArithmeticCodedJpegIsRead) {
  const std::vector<uint8_t> jpg = EncodeJpeg(MakeImage(512, 512, [](int, int) { return 0xFF808080u; }), 90, {}, true);
  ASSERT_LT(jpg.size() - FirstScanAt(jpg), 768u);
  int w = 0, h = 0;
  EXPECT_TRUE(plat::ReadImageSize(jpg.data(), jpg.size(), &w, &h) && w == 512 && h == 512);
  const std::vector<uint8_t> huffman = EncodeJpeg(Pattern());
  EXPECT_TRUE(plat::IsArithmeticJpeg(jpg.data(), jpg.size()));
  EXPECT_FALSE(plat::IsArithmeticJpeg(huffman.data(), huffman.size()));
  Image out;
  std::string err;
  ASSERT_TRUE(DecodeImage(jpg.data(), jpg.size(), &out, &err)) << err;
  EXPECT_EQ(PixelAt(out, 511, 511), 0xFF808080u);
  EXPECT_FALSE(DecodeImage(jpg.data(), FirstScanAt(jpg) + 1, &out, &err));
}

}  // namespace

namespace {

// A PNG's chunks before its data (the header, a palette and its
// transparency) and what its data chunks inflate to: its rows.
struct PngParts {
  std::vector<uint8_t> before;
  std::string rows;
};

PngParts SplitPng(const std::vector<uint8_t>& png) {
  PngParts parts;
  std::vector<uint8_t> z;
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t length = size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 | png[at + 3];
    const std::string type(png.begin() + long(at + 4), png.begin() + long(at + 8));
    if (type == "IDAT") {
      z.insert(z.end(), png.begin() + long(at + 8), png.begin() + long(at + 8 + length));
    } else if (type != "IEND") {
      parts.before.insert(parts.before.end(), png.begin() + long(at), png.begin() + long(at + 12 + length));
    }
    at += 12 + length;
  }
  std::vector<uint8_t> rows(1 << 20);
  uLongf rowBytes = uLongf(rows.size());
  EXPECT_EQ(uncompress(rows.data(), &rowBytes, z.data(), uLong(z.size())), Z_OK);
  parts.rows.assign(rows.begin(), rows.begin() + long(rowBytes));
  return parts;
}

// A PNG of those chunks, one data chunk of the first `keep` bytes of the
// rows deflated, and the end chunk: every chunk whole, the stream ended
// before the last row when keep is short of them.
std::vector<uint8_t> WithRows(const PngParts& parts, size_t keep) {
  return Cat({{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, parts.before,
              PngChunk("IDAT", Deflated(parts.rows.substr(0, keep))), PngChunk("IEND", {})});
}

// A PNG whose rows' data ends before its last row (of its last pass) is
// refused, though its chunks are whole and its end chunk is there: the
// picture would be made with the rows never given left clear. Every length
// of the rows of each small picture, cut and deflated again; all of them
// decode.
TEST(ImageDecode, APngWhoseDataEndsBeforeItsLastRowIsRefused) {
  const Image src = Pattern();
  const struct {
    const char* what;
    std::vector<uint8_t> png;
    size_t rows;  // bytes its rows inflate to, worked by hand
  } cases[] = {
      // 5 rows of a filter byte and 7 pixels: 5 x (1 + 28) RGBA, 5 x (1 + 7)
      // palette or grey; interlaced, the passes of 1 x 1, 1 x 1, 2 x 1,
      // 2 x 2, 4 x 1, 3 x 3 and 7 x 2 columns by rows: 5 + 5 + 9 + 18 + 17
      // + 39 + 58 = 151.
      {"RGBA", EncodePng(src), 145},
      {"interlaced", EncodePng(src, PngKind::kRgba, true), 151},
      {"palette", EncodePng(src, PngKind::kPalette), 40},
      {"grey", EncodePng(src, PngKind::kGrey), 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const PngParts parts = SplitPng(c.png);
    ASSERT_EQ(parts.rows.size(), c.rows);
    Image out;
    std::string err;
    int accepted = 0;
    size_t first = 0;
    for (size_t keep = 0; keep < c.rows; ++keep) {
      const std::vector<uint8_t> cut = WithRows(parts, keep);
      if ((DecodeImage(cut.data(), cut.size(), &out, &err) || !out.rgba.empty()) && accepted++ == 0) first = keep;
    }
    EXPECT_EQ(accepted, 0) << "the first with " << first << " bytes of rows";
    EXPECT_EQ(err, "png: data ends before the last row");
    Image want;
    ASSERT_TRUE(DecodeImage(c.png.data(), c.png.size(), &want, &err)) << err;
    const std::vector<uint8_t> all = WithRows(parts, c.rows);
    ASSERT_TRUE(DecodeImage(all.data(), all.size(), &out, &err)) << err;
    EXPECT_EQ(out.rgba, want.rgba);
  }
}

}  // namespace
