#include "cabinet/QvtCountDownRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/dds_image.h"
#include "support/ExpectAll.h"
#include "support/FakeClock.h"
#include "support/ImageCompare.h"
#include "support/TempDir.h"
#include "support/image_files.h"
#include "support/gl_device.h"

using R = QvtCountDownRenderer;

namespace {

// The fade machine on a clock of its own (no device: nothing is drawn).
TEST(CountDownFade, RampsInAndOut) {
  testsupport::FakeClock clock;
  R r(nullptr, 0, 0, &clock);
  uint32_t a = 99;
  EXPECT_FALSE(r.Fade(R::kNone, &a));
  struct Step {
    uint32_t advance, value;
    bool draw;
    uint32_t alpha, state, shown;
  } steps[] = {
      {0, 5000, true, 0, R::kFadingIn, 5000},
      {150, 4850, true, 127, R::kFadingIn, 4850},   // 150 x 255 / 300 = 127.5
      {149, 4700, true, 254, R::kFadingIn, 4700},   // 299 x 255 / 300 = 254.15
      {1, R::kNone, true, 255, R::kShown, 4700},     // ended during the fade-in: in to full first
      {0, R::kNone, true, 255, R::kFadingOut, 4700},
      {150, 3000, true, 128, R::kFadingOut, 4700},   // a new value is not taken while fading out
      {150, 3000, false, 128, R::kHidden, 4700},     // the call that ends the fade-out draws nothing
      {0, 3000, true, 0, R::kFadingIn, 3000},        // the next one starts a new fade-in
  };
  for (const Step& s : steps) {
    clock.Advance(s.advance);
    a = 128;
    EXPECT_EQ(r.Fade(s.value, &a), s.draw) << s.value;
    EXPECT_ALL({VAL(a, s.alpha), VAL(r.GetFadeState(), s.state), VAL(r.GetValue(), s.shown)});
  }
}

TEST(CountDownDigits, RoundedUpAndClamped) {
  const std::pair<uint32_t, uint32_t> cases[] = {{0, 0},      {1, 1},       {1000, 1},  {1001, 2},
                                                 {9001, 10}, {10000, 10}, {99000, 99}, {150000, 99},
                                                 {0xFFFFFFFEu, 99}};
  for (auto [ms, s] : cases) EXPECT_EQ(R::Seconds(ms), s) << ms;
}

// Quads worked from the layout table: screen corners and texture
// coordinates (pixel / texture size).
TEST(CountDownLayout, BothOrientationsAndResolutions) {
  R::Vertex q[3][4];
  {
    R sd(nullptr, 0, 0);
    EXPECT_EQ(sd.BuildCountDown(0, 255, q), 2);  // panel and a units 0
    EXPECT_ALL({VAL(q[0][0].x, 0.0f), VAL(q[0][0].y, 140.0f), VAL(q[0][3].x, 640.0f), VAL(q[0][3].y, 340.0f),
                VAL(q[0][3].u, 0.625f), VAL(q[0][3].v, 0.78125f), VAL(q[1][0].x, 147.0f), VAL(q[1][0].u, 644 / 1024.0f),
                VAL(q[0][0].colour, 0xFFFFFFFFu)});
    EXPECT_EQ(sd.BuildCountDown(17000, 128, q), 3);  // 1 and 7
    EXPECT_ALL({VAL(q[1][0].x, 101.0f), VAL(q[1][0].u, 696 / 1024.0f), VAL(q[2][0].u, 644 / 1024.0f),
                VAL(q[2][0].v, 0.25f), VAL(q[2][3].v, 0.5f), VAL(q[2][1].y, 253.0f), VAL(q[0][0].colour, 0x80FFFFFFu)});
    // Order: top-left, bottom-left, top-right, bottom-right.
    EXPECT_ALL({VAL(q[2][1].x, 147.0f), VAL(q[2][2].x, 199.0f), VAL(q[2][2].y, 189.0f)});
  }
  {
    R hdv(nullptr, 1, 1);
    EXPECT_EQ(hdv.BuildCountDown(25000, 255, q), 3);
    // Every y of a high-resolution vertical screen is scaled by 0.9375.
    EXPECT_ALL({VAL(q[0][0].x, 484.0f), VAL(q[0][1].y, 720.0f), VAL(q[0][0].u, 200 / 512.0f),
                VAL(q[2][0].y, 146.25f), VAL(q[2][1].y, 212.8125f), VAL(q[2][0].v, 360 / 1024.0f),
                VAL(q[1][0].v, 144 / 1024.0f)});
  }
  {
    R sdv(nullptr, 0, 1);
    sdv.BuildCountDown(9000, 255, q);
    EXPECT_ALL({VAL(q[0][0].x, 223.0f), VAL(q[0][0].u, 61 / 256.0f), VAL(q[1][0].y, 99.0f),
                VAL(q[1][0].v, 396 / 512.0f)});
  }
  {
    R hd(nullptr, 1, 0);
    hd.BuildCountDown(3000, 255, q);
    EXPECT_ALL({VAL(q[1][0].x, 339.0f), VAL(q[1][0].u, 252 / 2048.0f), VAL(q[1][0].v, 316 / 512.0f)});
  }
  R::Vertex side[4];
  R::BuildSideQuad({3, 370, 720, 0, 0}, 910, 0, side, R::SideNominal());
  EXPECT_ALL({VAL(side[0].x, 910.0f), VAL(side[3].x, 1280.0f), VAL(side[3].y, 720.0f), VAL(side[3].u, 1.0f),
              VAL(side[0].colour, 0xFFFFFFFFu)});
}

// Every number of the four layouts, written out from the panel table:
// texture size, panel (x, y, w, h, source x, y), tens and units digits
// (x, y, w, h) and the source corners of the digits 0 to 9.
TEST(CountDownLayout, EveryEntryOfTheTable) {
  struct Row {
    bool high, vertical;
    float tex[2], panel[6], tens[4], units[4], digit[10][2];
  } const rows[] = {
      {false, false, {1024, 256}, {0, 140, 640, 200, 0, 0}, {101, 189, 52, 64}, {147, 189, 52, 64},
       {{644, 0}, {696, 0}, {750, 0}, {802, 0}, {854, 0}, {906, 0}, {960, 0}, {644, 64}, {696, 64}, {750, 64}}},
      {true, false, {2048, 512}, {0, 204, 1280, 312, 0, 0}, {264, 279, 84, 108}, {339, 279, 84, 108},
       {{0, 316}, {84, 316}, {168, 316}, {252, 316}, {336, 316}, {420, 316}, {504, 316}, {588, 316}, {672, 316},
        {756, 316}}},
      {false, true, {256, 512}, {223, 0, 195, 480, 61, 0}, {320, 64, 54, 43}, {320, 99, 54, 43},
       {{6, 0}, {6, 44}, {6, 88}, {6, 132}, {6, 176}, {6, 220}, {6, 264}, {6, 308}, {6, 352}, {6, 396}}},
      {true, true, {512, 1024}, {484, 0, 312, 768, 200, 0}, {640, 96, 88, 71}, {640, 156, 88, 71},
       {{111, 0}, {111, 72}, {111, 144}, {111, 216}, {111, 288}, {111, 360}, {111, 432}, {111, 504}, {111, 576},
        {111, 648}}},
  };
  for (const Row& w : rows) {
    const R::Layout& l = R::GetLayout(w.high, w.vertical);
    SCOPED_TRACE(testing::Message() << "high " << w.high << " vertical " << w.vertical);
    EXPECT_ALL({VAL(l.texW, w.tex[0]), VAL(l.texH, w.tex[1])});
    for (int i = 0; i < 6; ++i) EXPECT_EQ(l.panel[i], w.panel[i]) << "panel " << i;
    for (int i = 0; i < 4; ++i) EXPECT_ALL({VAL(l.tens[i], w.tens[i]), VAL(l.units[i], w.units[i])});
    for (int k = 0; k < 10; ++k)
      EXPECT_ALL({VAL(l.digit[k][0], w.digit[k][0]), VAL(l.digit[k][1], w.digit[k][1])});
  }
}

// The generated panel and side images drawn on the OpenGL device, with the
// device's state the same before and after.
TEST(CountDownPicture, PanelDigitsAndSideImages) {
  auto gl = testsupport::MakeGlTestDevice(640, 480);
  if (!gl) GTEST_SKIP() << "no GL device";
  plat::GfxDevice& dev = *gl->device;
  testsupport::FakeClock clock;
  R r(&dev, 0, 0, &clock);
  for (int i = 0; i < 2000 && !r.PollLoader(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(r.HasTexture());
  EXPECT_FALSE(r.IsIdle());

  dev.SetRenderState(plat::kRsZEnable, 1);
  dev.SetRenderState(plat::kRsCullMode, plat::kCullCcw);
  dev.SetVertexShader(plat::kFvfPosColour);
  const plat::DeviceState before = dev.GetState();
  dev.BeginScene();
  dev.Clear(plat::kClearTarget | plat::kClearZBuffer, 0xFF000000u, 1.0f, 0);
  r.Render(42000);
  clock.Advance(300);
  r.DrawBackground();
  r.Render(41500);  // fully shown: 42 seconds
  dev.EndScene();
  const plat::DeviceState after = dev.GetState();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_EQ(dev.GetVertexShader(), uint32_t(plat::kFvfPosColour));
  EXPECT_EQ(dev.GetTexture(0), nullptr);
  EXPECT_TRUE(r.HasSideTextures());

  plat::Image shot;
  ASSERT_EQ(dev.ReadBackBuffer(&shot), plat::kOk);
  auto px = [&](int x, int y) {
    const uint8_t* p = &shot.rgba[(size_t(y) * shot.width + x) * 4];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  };
  // Above the panel and between the side images: untouched black. Inside
  // the side images and the panel band: drawn.
  EXPECT_ALL({VAL(px(320, 60), 0u), VAL(px(320, 420), 0u)});
  EXPECT_NE(px(70, 20), 0u);
  EXPECT_NE(px(570, 460), 0u);
  EXPECT_NE(px(320, 145), 0u);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "countdown_overlay_sd.png", 6, 64));

  // Only -1 is no count-down: any other status word is a value.
  dev.BeginScene();
  r.Render(-2);
  EXPECT_ALL({VAL(r.GetFadeState(), uint32_t(R::kShown)), VAL(r.GetValue(), 0xFFFFFFFEu)});
  r.Render(-1);
  EXPECT_EQ(r.GetFadeState(), uint32_t(R::kFadingOut));
  dev.EndScene();
}

// Side images that are there but unusable: each is told in one line and not
// read again (a header claiming 65535 x 65535 once had the whole picture
// decoded at every draw); a missing one is silent and looked for again at
// every draw.
TEST(CountDownSides, AnUnusableSideImageIsToldOnceAndNotReadAgain) {
  testsupport::TempDir data;
  testsupport::ScopedDataDir dataDir(data.Path());
  const auto bytes = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
  const plat::Image panel = testsupport::MakeImage(4, 4, [](int, int) { return 0xFFFFFFFFu; });
  ASSERT_TRUE(data.Write(R::PanelFileName(false, false), bytes(plat::EncodeDds(panel, plat::DdsLayout::kA8R8G8B8))));
  // One blue pixel, its row padded to 4 bytes.
  const std::string good = bytes(testsupport::BmpFile(40, 1, 1, 24, 0, {255, 0, 0, 0}));
  const auto name = [](uint32_t i) { return std::string(R::SideImagePath(i)).substr(5); };  // past "Data/"
  ASSERT_TRUE(data.Write(name(0), good));
  ASSERT_TRUE(data.Write(name(1), bytes(testsupport::BmpFile(40, 65535, 65535, 32, 0, {}))));
  ASSERT_TRUE(data.MakeDir(name(3)));  // index 2 missing

  auto dev = plat::CreateNullGfxDevice(plat::DeviceParams{});
  R r(dev.get(), 0, 0);
  for (int i = 0; i < 2000 && !r.PollLoader(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(r.HasTexture());
  ::testing::internal::CaptureStderr();
  r.DrawBackground();
  r.DrawBackground();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "count-down side image " + data.File(name(1)) + " is refused: bad image size\n" +
                "count-down side image " + data.File(name(3)) + " is a directory, not a regular file\n");
  EXPECT_ALL({VAL(r.HasSideTexture(0), true), VAL(r.HasSideTexture(1), false), VAL(r.HasSideTexture(2), false),
              VAL(r.HasSideTexture(3), false)});
  // Good files now in every place: only the one that was missing is read.
  for (uint32_t i : {1u, 2u}) ASSERT_TRUE(data.Write(name(i), good));
  ::testing::internal::CaptureStderr();
  r.DrawBackground();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_ALL({VAL(r.HasSideTexture(1), false), VAL(r.HasSideTexture(2), true)});
}

// A side image is drawn whole into its rectangle at the screen's edge (140 x
// 480 or 370 x 720), filtered from its one level: a picture more than twice
// as wide or tall has pixels that never reach the screen, and is refused from
// its header before they are made, told once like a damaged one. Pictures of
// exactly twice the size are drawn.
TEST(CountDownSides, APictureMoreThanTwiceItsSizeOnScreenIsRefused) {
  testsupport::TempDir data;
  testsupport::ScopedDataDir dataDir(data.Path());
  const auto bytes = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
  const plat::Image panel = testsupport::MakeImage(4, 4, [](int, int) { return 0xFFFFFFFFu; });
  ASSERT_TRUE(data.Write(R::PanelFileName(false, false), bytes(plat::EncodeDds(panel, plat::DdsLayout::kA8R8G8B8))));
  // 8-bit run-length pictures of one colour: a palette of one entry, then
  // for each row runs of at most 255 pixels and the row's end; the
  // picture's end. Small files for any size.
  const auto runs = [](int32_t w, int32_t h) {
    std::vector<uint8_t> px = {0x40, 0x80, 0xC0, 0};
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t left = w; left > 0; left -= 255) px.insert(px.end(), {uint8_t(std::min(left, 255)), 0});
      px.insert(px.end(), {0, 0});
    }
    px.insert(px.end(), {0, 1});
    std::vector<uint8_t> f = testsupport::BmpFile(40, w, h, 8, 1, px);
    f[10] = 54 + 4;  // the codes follow the palette
    f[46] = 1;       // one colour used
    return f;
  };
  const auto name = [](uint32_t i) { return std::string(R::SideImagePath(i)).substr(5); };  // past "Data/"
  ASSERT_TRUE(data.Write(name(0), bytes(runs(280, 960))));
  ASSERT_TRUE(data.Write(name(1), bytes(runs(281, 960))));
  ASSERT_TRUE(data.Write(name(2), bytes(runs(740, 1441))));
  ASSERT_TRUE(data.Write(name(3), bytes(runs(740, 1440))));

  auto dev = plat::CreateNullGfxDevice(plat::DeviceParams{});
  R r(dev.get(), 0, 0);
  for (int i = 0; i < 2000 && !r.PollLoader(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(r.HasTexture());
  ::testing::internal::CaptureStderr();
  r.DrawBackground();
  r.DrawBackground();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "count-down side image " + data.File(name(1)) + " is refused: 281x960 is more than twice the 140x480 it is drawn at\n" +
                "count-down side image " + data.File(name(2)) +
                " is refused: 740x1441 is more than twice the 370x720 it is drawn at\n");
  EXPECT_ALL({VAL(r.HasSideTexture(0), true), VAL(r.HasSideTexture(1), false), VAL(r.HasSideTexture(2), false),
              VAL(r.HasSideTexture(3), true)});
}

// What the renderer's files are charged to, as the game's total would take
// them: asked only on the thread that made the renderer.
struct Charges : R::FileCharges {
  uint64_t limit = UINT64_MAX, held = 0, most = 0;
  std::vector<int64_t> log;  // each charge taken (+) and given back (-)
  const std::thread::id owner = std::this_thread::get_id();
  bool Take(uint64_t bytes) override {
    EXPECT_EQ(std::this_thread::get_id(), owner);
    if (bytes > limit - held) return false;
    held += bytes;
    most = std::max(most, held);
    log.push_back(int64_t(bytes));
    return true;
  }
  void GiveBack(uint64_t bytes) override {
    EXPECT_EQ(std::this_thread::get_id(), owner);
    EXPECT_LE(bytes, held);
    held -= bytes;
    log.push_back(-int64_t(bytes));
  }
};

// The panel file is charged its size before its loader starts and given
// back when the panel is made of it; each side image file its size while
// it is read and decoded. A panel file the charge refuses is not read (the
// renderer stays idle); a side image file it refuses is told once and not
// read again. Everything is given back, the renderer ended or not.
TEST(CountDownFiles, EachFileIsChargedWhileItIsHeld) {
  testsupport::TempDir data;
  testsupport::ScopedDataDir dataDir(data.Path());
  const auto bytes = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
  const plat::Image panelImage = testsupport::MakeImage(4, 4, [](int, int) { return 0xFFFFFFFFu; });
  const std::string panel = bytes(plat::EncodeDds(panelImage, plat::DdsLayout::kA8R8G8B8));
  ASSERT_EQ(panel.size(), 128u + 4 * 4 * 4);  // the header and 16 pixels
  ASSERT_TRUE(data.Write(R::PanelFileName(false, false), panel));
  // 100 x 1 pixels of 24 bits: 54 bytes of headers and a row of 300.
  const std::string side = bytes(testsupport::BmpFile(40, 100, 1, 24, 0, std::vector<uint8_t>(300, 0x80)));
  ASSERT_EQ(side.size(), 354u);
  const auto name = [](uint32_t i) { return std::string(R::SideImagePath(i)).substr(5); };  // past "Data/"
  for (uint32_t i = 0; i < 4; ++i) ASSERT_TRUE(data.Write(name(i), side));
  auto dev = plat::CreateNullGfxDevice(plat::DeviceParams{});
  const auto waitLoaded = [](R& r) {
    for (int i = 0; i < 2000 && !r.PollLoader(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  {
    Charges c;
    R r(dev.get(), 0, 0, nullptr, &c);
    EXPECT_EQ(c.held, 192u) << "charged before the loader started";
    waitLoaded(r);
    ASSERT_TRUE(r.HasTexture());
    EXPECT_EQ(c.held, 0u);
    r.DrawBackground();
    EXPECT_TRUE(r.HasSideTextures());
    EXPECT_EQ(c.log, (std::vector<int64_t>{192, -192, 354, -354, 354, -354, 354, -354, 354, -354}));
    EXPECT_EQ(c.most, 354u);
  }
  {
    Charges c;
    {
      R r(dev.get(), 0, 0, nullptr, &c);  // ended before its panel was polled
    }
    EXPECT_EQ(c.log, (std::vector<int64_t>{192, -192}));
  }
  {
    Charges c;
    c.limit = 191;
    R r(dev.get(), 0, 0, nullptr, &c);
    waitLoaded(r);
    EXPECT_FALSE(r.HasTexture());
    EXPECT_TRUE(c.log.empty());
  }
  {
    Charges c;
    c.limit = 353;
    R r(dev.get(), 0, 0, nullptr, &c);
    waitLoaded(r);
    ASSERT_TRUE(r.HasTexture());
    ::testing::internal::CaptureStderr();
    r.DrawBackground();
    r.DrawBackground();
    std::string told;
    for (uint32_t i = 0; i < 4; ++i)
      told += "count-down side image " + data.File(name(i)) +
              " cannot be read: its 354 bytes pass what loaded files may hold\n";
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), told);
    EXPECT_FALSE(r.HasSideTexture(0));
    EXPECT_EQ(c.log, (std::vector<int64_t>{192, -192}));
  }
}

}  // namespace
