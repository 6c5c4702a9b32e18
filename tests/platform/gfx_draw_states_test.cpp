// The draw-state file: its byte layout, what reading it refuses, and the
// store that warms a device up from it and saves it again.
#include "platform/gfx_draw_states.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gfx_device.h"
#include "support/TempDir.h"

namespace {

using plat::DrawStateKey;
using Bytes = std::vector<uint8_t>;

// GL's values, spelled out: the file holds them as GL defines them.
constexpr int32_t kGlNever = 0x0200, kGlLequal = 0x0203, kGlAlways = 0x0207;
constexpr int32_t kGlOne = 1, kGlSrcAlpha = 0x0302, kGlOneMinusSrcAlpha = 0x0303;
constexpr int32_t kGlBack = 0x0405, kGlFill = 0x1B02, kGlPoint = 0x1B00;
constexpr int32_t kGlNearest = 0x2600, kGlLinear = 0x2601, kGlRepeat = 0x2901, kGlClampToEdge = 0x812F;

// A textured, alpha-blended, depth-tested sprite state.
DrawStateKey Sprite() {
  DrawStateKey k;
  k.fvf = 0x142;
  k.modes[7] = 1;
  k.modes[9] = 4;    // modulate
  k.modes[10] = 2;   // texture
  k.modes[11] = 0;   // diffuse
  k.modes[15] = 1;   // stage 1 off
  k.modes[22] = 5;   // alpha test: greater
  k.depthTest = 1;
  k.depthFunc = kGlLequal;
  k.depthMask = 0;
  k.blend = 1;
  k.blendSrc = kGlSrcAlpha;
  k.blendDst = kGlOneMinusSrcAlpha;
  k.cullFace = kGlBack;
  k.fill = kGlFill;
  k.sampler[0] = {kGlLinear, kGlNearest, kGlRepeat, kGlClampToEdge, 1, 0};
  return k;
}

DrawStateKey Plain() {
  DrawStateKey k;
  k.fvf = 0x042;
  k.modes[9] = 1;
  k.fill = kGlFill;
  return k;
}

uint32_t Le32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void SetLe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
// The file's last word made right again after an edit of its body.
void FixCrc(Bytes& b) {
  SetLe32(b, b.size() - 4, uint32_t(crc32(0, b.data(), uInt(b.size() - 4))));
}

TEST(DrawStateFile, BytesFollowTheLayout) {
  const Bytes b = plat::WriteDrawStates({Sprite(), Plain()});
  // 12 header bytes, two records of 44 words, the CRC.
  ASSERT_EQ(b.size(), 12u + 2 * 176 + 4);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "OSDS");
  EXPECT_EQ(Le32(b, 4), 1u);
  EXPECT_EQ(Le32(b, 8), 2u);
  // Record 0: fvf, 23 mode words, then the fixed states from word 24.
  const size_t r0 = 12;
  EXPECT_EQ(Le32(b, r0), 0x142u);
  EXPECT_EQ(Le32(b, r0 + 4 * (1 + 7)), 1u);
  EXPECT_EQ(Le32(b, r0 + 4 * (1 + 22)), 5u);
  const uint32_t fixed[8] = {1, uint32_t(kGlLequal), 0, 1, uint32_t(kGlSrcAlpha), uint32_t(kGlOneMinusSrcAlpha),
                             uint32_t(kGlBack), uint32_t(kGlFill)};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Le32(b, r0 + 4 * (24 + i)), fixed[i]) << "word " << 24 + i;
  const uint32_t stage0[6] = {uint32_t(kGlLinear), uint32_t(kGlNearest), uint32_t(kGlRepeat),
                              uint32_t(kGlClampToEdge), 1, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Le32(b, r0 + 4 * (32 + i)), stage0[i]) << "word " << 32 + i;
  for (int i = 38; i < 44; ++i) EXPECT_EQ(Le32(b, r0 + 4 * i), 0u) << "word " << i;
  // Record 1 starts 176 bytes on.
  EXPECT_EQ(Le32(b, r0 + 176), 0x042u);
  EXPECT_EQ(Le32(b, b.size() - 4), uint32_t(crc32(0, b.data(), uInt(b.size() - 4))));

  std::vector<DrawStateKey> back;
  ASSERT_TRUE(plat::ReadDrawStates(b.data(), b.size(), &back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back[0] == Sprite());
  EXPECT_TRUE(back[1] == Plain());
}

TEST(DrawStateFile, ReadingRefusesAnythingButAWholeValidFile) {
  const Bytes good = plat::WriteDrawStates({Sprite(), Plain()});
  std::vector<DrawStateKey> out;
  auto refused = [&out](Bytes b, bool fixCrc, const char* what) {
    if (fixCrc) FixCrc(b);
    out.assign(3, DrawStateKey{});
    EXPECT_FALSE(plat::ReadDrawStates(b.data(), b.size(), &out)) << what;
    EXPECT_TRUE(out.empty()) << what;
  };
  refused(Bytes(good.begin(), good.end() - 1), false, "one byte short");
  Bytes longer = good;
  longer.insert(longer.end() - 4, 0);
  refused(longer, true, "one byte more");
  Bytes b = good;
  b[0] = 'X';
  refused(b, true, "magic");
  b = good;
  SetLe32(b, 4, 2);
  refused(b, true, "version 2");
  b = good;
  SetLe32(b, 8, 3);
  refused(b, true, "count beyond the records");
  b = good;
  b[20] ^= 1;
  refused(b, false, "a body byte changed under its CRC");
  // Records whose values the device never records.
  const size_t r1 = 12 + 176;
  struct Edit {
    size_t word;
    uint32_t value;
    const char* what;
  } edits[] = {
      {0, 0x99, "an unknown vertex format"},
      {1 + 0, 2, "a mode flag of 2"},
      {1 + 9, 32, "a stage operation beyond 31"},
      {1 + 21, 4, "fog mode 4"},
      {1 + 22, 16, "alpha function 16"},
      {24, 1, "depth test on with no function"},
      {25, uint32_t(kGlLequal), "a depth function with the test off"},
      {28, uint32_t(kGlOne), "a blend factor with blending off"},
      {30, 7, "a cull face that is not front or back"},
      {31, 0, "no fill mode"},
      {32, uint32_t(kGlNearest), "sampling words for a stage without a texture"},
  };
  for (const Edit& e : edits) {
    b = good;
    SetLe32(b, r1 + 4 * e.word, e.value);
    refused(b, true, e.what);
  }
  b = good;
  SetLe32(b, 12 + 4 * 25, uint32_t(kGlAlways) + 1);
  refused(b, true, "a depth function past GL_ALWAYS");
  b = good;
  SetLe32(b, 12 + 4 * 28, 7);
  refused(b, true, "a blend factor that is no GL factor");
  b = good;
  SetLe32(b, 12 + 4 * 25, uint32_t(kGlNever));
  FixCrc(b);
  EXPECT_TRUE(plat::ReadDrawStates(b.data(), b.size(), &out)) << "GL_NEVER is a depth function";
  b = good;
  SetLe32(b, 12 + 4 * 31, uint32_t(kGlPoint));
  FixCrc(b);
  EXPECT_TRUE(plat::ReadDrawStates(b.data(), b.size(), &out)) << "point fill";
  EXPECT_TRUE(plat::ReadDrawStates(nullptr, 0, &out) == false);
}

TEST(DrawStateFile, AListLongerThanTheLimitKeepsItsFirstRecords) {
  std::vector<DrawStateKey> keys(plat::kMaxDrawStates + 1, Plain());
  keys.back().fvf = 0x142;
  const Bytes b = plat::WriteDrawStates(keys);
  EXPECT_EQ(Le32(b, 8), uint32_t(plat::kMaxDrawStates));
  EXPECT_EQ(b.size(), plat::kDrawStateFileMax);
  std::vector<DrawStateKey> out;
  EXPECT_TRUE(plat::ReadDrawStates(b.data(), b.size(), &out));
  EXPECT_EQ(out.size(), plat::kMaxDrawStates);
}

// A device that only keeps a list of draw states: what the store reads,
// warms up with and saves.
class ListDevice final : public plat::GfxDevice {
 public:
  ListDevice() : GfxDevice(plat::DeviceParams{}, true) {}
  int Reset(const plat::DeviceParams&) override { return plat::kOk; }
  int Present() override { return plat::kOk; }
  int Clear(uint32_t, plat::Colour, float, uint32_t) override { return plat::kOk; }
  int CreateVertexBuffer(uint32_t, uint32_t, plat::VertexBuffer**) override { return plat::kErrInvalidCall; }
  int CreateIndexBuffer(uint32_t, plat::IndexBuffer**) override { return plat::kErrInvalidCall; }
  int DrawIndexedPrimitive(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override { return plat::kOk; }
  int DrawPrimitiveUp(uint32_t, uint32_t, const void*, uint32_t) override { return plat::kOk; }
  int ReadBackBuffer(plat::Image*) override { return plat::kErrInvalidCall; }
  std::vector<uint8_t> DrawStateFile() const override { return plat::WriteDrawStates(met); }
  size_t DrawStatesMet() const override { return met.size(); }
  int WarmUpDrawStates(const uint8_t* bytes, size_t size) override {
    std::vector<DrawStateKey> keys;
    if (!plat::ReadDrawStates(bytes, size, &keys)) return plat::kErrInvalidCall;
    met.insert(met.end(), keys.begin(), keys.end());
    ++warmUps;
    return int(keys.size());
  }

  std::vector<DrawStateKey> met;
  int warmUps = 0;

 protected:
  int MakeTexture(plat::Image, plat::Texture**) override { return plat::kErrInvalidCall; }
};

Bytes FileBytes(const testsupport::TempDir& dir) {
  const std::string s = dir.Read(plat::kDrawStatesFile);
  return Bytes(s.begin(), s.end());
}

TEST(DrawStateStore, WarmsUpFromTheFileAndSavesOnlyAfterAQuietSpell) {
  testsupport::TempDir dir;
  const Bytes first = plat::WriteDrawStates({Sprite()});
  ASSERT_TRUE(dir.Write(plat::kDrawStatesFile, std::string(first.begin(), first.end())));
  ListDevice dev;
  plat::DrawStateStore store;
  EXPECT_EQ(store.Open(&dev, dir.File(plat::kDrawStatesFile)), 1);
  EXPECT_EQ(dev.warmUps, 1);
  // Nothing new: no save, however long it runs.
  for (int f = 0; f < 2 * plat::DrawStateStore::kQuietFrames; ++f) store.Frame(&dev);
  EXPECT_EQ(FileBytes(dir), first);
  // A state met in frame 0 and another in frame 10: the save comes once
  // kQuietFrames frames have passed without a new one, not before.
  dev.met.push_back(Plain());
  store.Frame(&dev);
  for (int f = 1; f < 10; ++f) store.Frame(&dev);
  DrawStateKey third = Plain();
  third.depthMask = 1;
  dev.met.push_back(third);
  store.Frame(&dev);
  for (int f = 0; f < plat::DrawStateStore::kQuietFrames; ++f) store.Frame(&dev);
  EXPECT_EQ(FileBytes(dir), first);
  store.Frame(&dev);
  store.Close(nullptr);  // waits for the save under way
  std::vector<DrawStateKey> saved;
  const Bytes now = FileBytes(dir);
  ASSERT_TRUE(plat::ReadDrawStates(now.data(), now.size(), &saved));
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_TRUE(saved[0] == Sprite());
  EXPECT_TRUE(saved[2] == third);
}

TEST(DrawStateStore, ADamagedFileIsReplacedAndCloseSavesWhatIsNew) {
  testsupport::TempDir dir;
  ASSERT_TRUE(dir.Write(plat::kDrawStatesFile, "OSDS and not much else"));
  ListDevice dev;
  plat::DrawStateStore store;
  EXPECT_EQ(store.Open(&dev, dir.File(plat::kDrawStatesFile)), 0);
  EXPECT_EQ(dev.warmUps, 0);
  // Replaced after the quiet spell even with nothing met: an empty list.
  for (int f = 0; f <= plat::DrawStateStore::kQuietFrames; ++f) store.Frame(&dev);
  store.Close(nullptr);
  EXPECT_EQ(FileBytes(dir), plat::WriteDrawStates({}));

  // A missing file: states met and the program ending before the quiet
  // spell is over are saved by Close.
  testsupport::TempDir other;
  ListDevice dev2;
  plat::DrawStateStore store2;
  EXPECT_EQ(store2.Open(&dev2, other.File(plat::kDrawStatesFile)), 0);
  dev2.met.push_back(Sprite());
  for (int f = 0; f < 5; ++f) store2.Frame(&dev2);
  EXPECT_EQ(other.Kind(plat::kDrawStatesFile), '-');
  store2.Close(&dev2);
  EXPECT_EQ(FileBytes(other), plat::WriteDrawStates({Sprite()}));
}

// A save folder that cannot be made (a file where a folder of its path
// should be): each save fails and keeps being tried, and the failure is
// told in one line however many saves fail; once the folder can be made,
// the next save lands.
TEST(DrawStateStore, ASaveFolderThatCannotBeMadeIsToldOnce) {
  testsupport::TempDir dir;
  ASSERT_TRUE(dir.Write("file", "x"));
  const std::string path = dir.File("file/save/" + std::string(plat::kDrawStatesFile));
  ListDevice dev;
  plat::DrawStateStore store;
  ::testing::internal::CaptureStderr();
  // Three saves: one after a quiet spell, one at the end (which waits for
  // the first), one at the end of a second run of the same store.
  EXPECT_EQ(store.Open(&dev, path), 0);
  dev.met.push_back(Sprite());
  for (int f = 0; f <= plat::DrawStateStore::kQuietFrames + 1; ++f) store.Frame(&dev);
  dev.met.push_back(Plain());
  store.Close(&dev);
  EXPECT_EQ(store.Open(&dev, path), 0);
  DrawStateKey third = Plain();
  third.depthMask = 1;
  dev.met.push_back(third);
  store.Close(&dev);
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(told, "draw states not saved: cannot make the directory " + dir.File("file/save") + "\n");
  EXPECT_EQ(dir.Kind("file"), 'f');

  // The folder can be made now: the store's next save lands, untold.
  ASSERT_TRUE(std::filesystem::remove(dir.File("file")));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(store.Open(&dev, path), 0);  // no file to warm up from
  DrawStateKey fourth = Plain();
  fourth.modes[9] = 2;
  dev.met.push_back(fourth);
  store.Close(&dev);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(dir.Read("file/save/" + std::string(plat::kDrawStatesFile)), [&] {
    const Bytes b = plat::WriteDrawStates(dev.met);
    return std::string(b.begin(), b.end());
  }());
}

}  // namespace
