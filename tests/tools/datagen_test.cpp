// The stand-in data tree: the generator is deterministic, writes only what
// changed, and what it writes parses: image lists name existing textures of
// the sizes the sprite tables imply, every part shows a picture, flat parts
// stay flat under linear filtering, and the sound banks hold the entries the
// game plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/tables/image_slots.h"
#include "game/tables/table_registry.h"
#include "platform/image_decode.h"
#include "support/BuildDirs.h"
#include "support/TempDir.h"
#include "vrax/resource/ImageList.h"
#include "vrax/resource/ModelFile.h"
#include "vrax/sound/SoundList.h"
#include "vrax/sound/WaveFile.h"
#include "support/ExpectAll.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// "\common\osr_efx00" -> <root>/common/osr_efx00
fs::path HostPath(const std::string& root, const std::string& request) {
  std::string rel;
  for (char c : request) rel += c == '\\' ? '/' : c;
  while (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
  return fs::path(root) / rel;
}

std::string RunDatagen(const std::string& dir) {
  const std::string cmd = std::string(testsupport::TestBinaryDir()) + "/tools/datagen " + "'" + dir + "' 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return "popen failed";
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  const int rc = pclose(p);
  if (rc != 0) out += " (exit " + std::to_string(rc) + ")";
  return out;
}

std::map<std::string, std::vector<std::uint8_t>> Tree(const std::string& root) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = ReadBytes(e.path());
  return files;
}

TEST(DataGenerator, SameBytesOnEveryRunAndRewritesNothingUnchanged) {
  testsupport::TempDir dir("datagen");
  const std::string first = RunDatagen(dir.Path());
  ASSERT_NE(first.find(" 0 failed"), std::string::npos) << first;
  const auto fresh = Tree(dir.Path());
  const auto built = Tree(testsupport::GeneratedDataRoot());
  ASSERT_EQ(fresh.size(), built.size());
  for (const auto& [name, bytes] : fresh) {
    auto other = built.find(name);
    ASSERT_NE(other, built.end()) << name;
    EXPECT_TRUE(other->second == bytes) << name << " differs between two runs";
  }
  // The next run rewrites only the one damaged file and leaves the rest alone.
  const auto stamp = fs::last_write_time(fs::path(dir.Path()) / "common" / "osr_efx00.tr");
  {
    std::ofstream(fs::path(dir.Path()) / "sound" / "osr_se.sr", std::ios::trunc) << "junk";
  }
  const std::string second = RunDatagen(dir.Path());
  EXPECT_NE(second.find(" 1 files written"), std::string::npos) << second;
  EXPECT_EQ(fs::last_write_time(fs::path(dir.Path()) / "common" / "osr_efx00.tr"), stamp);
  EXPECT_TRUE(ReadBytes(fs::path(dir.Path()) / "sound" / "osr_se.sr") == built.at("sound/osr_se.sr"));
}

struct Texture {
  int w = 0, h = 0;
};

// The image list path of the texture a part draws from.
std::string PathOf(const PartLayout& p) {
  static const std::map<SImageSlot*, const ImageDef*> defs = [] {
    std::map<SImageSlot*, const ImageDef*> m;
    std::size_t n = 0;
    const ImageDef* const* all = AllImageDefs(&n);
    for (std::size_t i = 0; i < n; ++i) m[all[i]->slot] = all[i];
    return m;
  }();
  return defs.at(p.slot)->path;
}

// The size each texture must have: the largest size any part gives it.
std::map<std::pair<std::string, std::uint32_t>, Texture> ExpectedTextures() {
  std::map<std::pair<std::string, std::uint32_t>, Texture> out;
  for (const TableInfo& t : AllTableInfos())
    for (const PartLayout& p : t.parts) {
      Texture& tex = out[{PathOf(p), p.id}];
      tex.w = std::max(tex.w, static_cast<int>(std::ceil(p.texW)));
      tex.h = std::max(tex.h, static_cast<int>(std::ceil(p.texH)));
    }
  return out;
}

using TextureMap = std::map<std::pair<std::string, std::uint32_t>, plat::Image>;
TextureMap LoadTextures(const std::string& root) {
  TextureMap images;
  std::set<std::string> paths;
  for (const auto& [key, tex] : ExpectedTextures()) paths.insert(key.first);
  for (const std::string& path : paths) {
    const fs::path list = HostPath(root, path + ".tr");
    const auto bytes = ReadBytes(list);
    std::vector<std::string> names;
    EXPECT_TRUE(image_list::Parse(bytes.data(), bytes.size(), &names)) << list;
    for (std::uint32_t id = 0; id < names.size(); ++id) {
      const auto png = ReadBytes(list.parent_path() / names[id]);
      plat::Image img;
      std::string error;
      EXPECT_TRUE(plat::DecodeImage(png.data(), png.size(), &img, &error)) << names[id] << ": " << error;
      images[{path, id}] = std::move(img);
    }
  }
  return images;
}
// Decoded once for the tests that look at pixels.
const TextureMap& LoadAllTextures(const std::string& root) {
  static const TextureMap images = LoadTextures(root);
  return images;
}

TEST(DataGenerator, ImageListsNameTexturesOfTheSizesTheTablesImply) {
  const auto& images = LoadAllTextures(testsupport::GeneratedDataRoot());
  const auto expected = ExpectedTextures();
  for (const auto& [key, tex] : expected) {
    auto found = images.find(key);
    ASSERT_NE(found, images.end()) << key.first << " texture " << key.second;
    EXPECT_EQ(found->second.width, tex.w) << key.first << " texture " << key.second;
    EXPECT_EQ(found->second.height, tex.h) << key.first << " texture " << key.second;
  }
  // Spot checks of sizes a table implies.
  EXPECT_ALL({VAL(images.at({"\\enemy\\osr_se11", 49}).width, 128),
              VAL(images.at({"\\common\\SubUnit", 3}).width, 64),
              VAL(images.at({"\\common\\osr_LensFlare", 1}).width, 16),
              VAL(images.at({"\\testmode\\disp02", 0}).height, 640),
              VAL(images.at({"\\testmode\\testsystem", 0}).width, 512),
              VAL(images.at({"\\Module\\Opening", 9}).width, 512)});
}

// Alpha-weighted statistics of the pixels under one part.
struct Ink {
  int opaque = 0;
  int distinct = 0;
};
Ink InkOf(const plat::Image& img, const PartLayout& p) {
  const float sx = img.width / p.texW, sy = img.height / p.texH;
  const int x0 = std::clamp(static_cast<int>(p.x * sx), 0, img.width);
  const int y0 = std::clamp(static_cast<int>(p.y * sy), 0, img.height);
  const int x1 = std::clamp(static_cast<int>(std::ceil((p.x + p.w) * sx)), 0, img.width);
  const int y1 = std::clamp(static_cast<int>(std::ceil((p.y + p.h) * sy)), 0, img.height);
  Ink ink;
  std::set<std::uint32_t> values;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const std::uint8_t* px = &img.rgba[(static_cast<std::size_t>(y) * img.width + x) * 4];
      if (px[3] > 32) ++ink.opaque;
      if (values.size() < 8) values.insert(px[0] | px[1] << 8 | px[2] << 16 | static_cast<std::uint32_t>(px[3]) << 24);
    }
  ink.distinct = static_cast<int>(values.size());
  return ink;
}

TEST(DataGenerator, EveryPartShowsAPicture) {
  const auto& images = LoadAllTextures(testsupport::GeneratedDataRoot());
  for (const TableInfo& t : AllTableInfos())
    for (std::size_t i = 0; i < t.parts.size(); ++i) {
      const PartLayout& p = t.parts[i];
      const plat::Image& img = images.at({PathOf(p), p.id});
      const Ink ink = InkOf(img, p);
      EXPECT_GT(ink.opaque, 0) << t.name << " part " << i << " is empty";
      // Solid parts are flat on purpose (one-texel colour sources).
      if (t.art != PartArt::Solid && p.w * p.h >= 16) {
        EXPECT_GT(ink.distinct, 2) << t.name << " part " << i << " is a blank rectangle";
      }
    }
}

TEST(DataGenerator, FontSheetsHoldGlyphsInTheirCells) {
  const auto& images = LoadAllTextures(testsupport::GeneratedDataRoot());
  // 'A' of the test font (cell 33: row 2, column 1 from (1, 1)) has ink; the
  // space cell (0) has none.
  const plat::Image& font = images.at({"\\testmode\\testfont", 0});
  PartLayout a{};
  a.texW = 256, a.texH = 128, a.x = 17, a.y = 33, a.w = 15, a.h = 15;
  EXPECT_GT(InkOf(font, a).opaque, 10);
  PartLayout space = a;
  space.x = 1, space.y = 1;
  EXPECT_EQ(InkOf(font, space).opaque, 0);
  // Digit "8" of the large count-down font (cell 8 of 39 x 60 from x 0.5).
  const plat::Image& num = images.at({"\\common\\Osr_Font_Num", 0});
  PartLayout eight{};
  eight.texW = 512, eight.texH = 128, eight.x = 0.5f + 8 * 39, eight.y = 0, eight.w = 39, eight.h = 60;
  EXPECT_GT(InkOf(num, eight).opaque, 40);
}

// One channel of the texture filtered linearly at (u, v), repeating past its
// edges, as the sprite sampler reads it.
float Bilinear(const plat::Image& img, float u, float v, int channel) {
  const float fx = u * img.width - 0.5f, fy = v * img.height - 0.5f;
  const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  const float ax = fx - x0, ay = fy - y0;
  auto at = [&](int x, int y) {
    x = ((x % img.width) + img.width) % img.width;
    y = ((y % img.height) + img.height) % img.height;
    return static_cast<float>(img.rgba[(static_cast<std::size_t>(y) * img.width + x) * 4 + channel]);
  };
  const float top = at(x0, y0) * (1 - ax) + at(x0 + 1, y0) * ax;
  const float bottom = at(x0, y0 + 1) * (1 - ax) + at(x0 + 1, y0 + 1) * ax;
  return top * (1 - ay) + bottom * ay;
}

TEST(DataGenerator, SolidPartsStaySolidUnderLinearFiltering) {
  const auto& images = LoadAllTextures(testsupport::GeneratedDataRoot());
  int checked = 0;
  for (const TableInfo& t : AllTableInfos()) {
    if (t.art != PartArt::Solid && t.art != PartArt::Glow) continue;
    for (std::size_t i = 0; i < t.parts.size(); ++i) {
      const PartLayout& p = t.parts[i];
      // A glow table's flat parts are its one-texel strips.
      if (t.art == PartArt::Glow && std::min(p.w, p.h) > 4) continue;
      const plat::Image& img = images.at({PathOf(p), p.id});
      const SGpRect& r = t.rects[i];
      // The corners the sprite is drawn with, and the middle between them.
      SGpUV uv[5];
      r.GetCorners(uv);
      uv[4] = {(uv[0].u + uv[3].u) * 0.5f, (uv[0].v + uv[3].v) * 0.5f};
      for (const SGpUV& c : uv)
        for (int k = 0; k < 4; ++k)
          EXPECT_GE(Bilinear(img, c.u, c.v, k), 254.0f)
              << t.name << " part " << i << " at (" << c.u << ", " << c.v << ") channel " << k;
      ++checked;
    }
  }
  EXPECT_GE(checked, 4);
}

TEST(DataGenerator, TheDiscGlowFadesFromItsCentreToNothingAtItsRim) {
  // The effect discs map the top edge of their part to the centre and the
  // bottom edge to the rim: a disc as wide as the play area must not cover
  // it evenly (the blast discs of the large explosions reach radius 1024).
  const auto& images = LoadAllTextures(testsupport::GeneratedDataRoot());
  const TableInfo* discs = nullptr;
  for (const TableInfo& t : AllTableInfos())
    if (std::string(t.name) == "SprEfx_6") discs = &t;
  ASSERT_NE(discs, nullptr);
  const PartLayout& p = discs->parts[1];
  const plat::Image& img = images.at({PathOf(p), p.id});
  SGpUV uv[4];
  discs->rects[1].GetCorners(uv);
  const float u = (uv[0].u + uv[1].u) * 0.5f, top = uv[0].v, bottom = uv[2].v;
  const float alpha[3] = {Bilinear(img, u, top + (bottom - top) * 0.05f, 3),
                          Bilinear(img, u, (top + bottom) * 0.5f, 3), Bilinear(img, u, bottom, 3)};
  EXPECT_GT(alpha[0], 200.0f);
  EXPECT_LT(alpha[1], 0.5f * alpha[0]);
  EXPECT_LT(alpha[2], 8.0f);
}

struct Bank {
  std::vector<SoundListLine> lines;
  std::vector<WaveInfo> waves;
};
Bank LoadBank(const std::string& request) {
  Bank bank;
  const fs::path list = HostPath(testsupport::GeneratedDataRoot(), request + ".sr");
  const auto bytes = ReadBytes(list);
  EXPECT_FALSE(bytes.empty()) << list;
  for (std::size_t cur = 0; cur < bytes.size();
       cur = SoundListNextLine(bytes.data(), bytes.size(), cur)) {
    SoundListLine line;
    EXPECT_TRUE(ReadSoundListLine(bytes.data(), bytes.size(), cur, &line));
    const auto wav = ReadBytes(list.parent_path() / line.name);
    WaveInfo info;
    EXPECT_EQ(ParseWave(wav.data(), wav.size(), &info), WaveError::kNone) << line.name;
    bank.lines.push_back(line);
    bank.waves.push_back(info);
  }
  return bank;
}

TEST(DataGenerator, SoundBanksHoldTheEntriesTheGamePlays) {
  const Bank se = LoadBank("\\sound\\osr_se");
  const Bank voice = LoadBank("\\sound\\osr_voice");
  const Bank music = LoadBank("\\sound\\osr_bgm_low");
  EXPECT_GE(se.lines.size(), 59u);
  EXPECT_GE(voice.lines.size(), 64u);  // voices up to 63 are played
  EXPECT_EQ(music.lines.size(), 8u);
  for (const SoundListLine& l : se.lines) EXPECT_FALSE(l.streamed) << l.name;
  for (std::size_t i = 0; i < music.lines.size(); ++i) {
    EXPECT_TRUE(music.lines[i].streamed);
    EXPECT_EQ(music.lines[i].loopStart, 0);
    EXPECT_GT(music.waves[i].dataSize, 64u * 1024u) << "music " << i << " too short to stream";
    EXPECT_EQ(music.waves[i].channels, 2);
  }
  for (const WaveInfo& w : se.waves)
    EXPECT_TRUE(w.formatTag == 1 && w.bitsPerSample == 16 && w.dataSize > 1000u)
        << w.formatTag << " " << w.bitsPerSample << " " << w.dataSize;
  // Distinct sounds: no two effects share their bytes.
  std::set<std::vector<std::uint8_t>> seen;
  const fs::path dir = HostPath(testsupport::GeneratedDataRoot(), "\\sound\\");
  for (const SoundListLine& l : se.lines) EXPECT_TRUE(seen.insert(ReadBytes(dir / l.name)).second) << l.name;
}

// The defeat shows hide destroyed parts by scaling their nodes to nothing,
// which hides a node's whole subtree: in every stand-in boss model each node
// a show hides is a leaf, so that the show takes that piece and no more.
TEST(DataGenerator, EveryNodeABossShowHidesIsALeaf) {
  const struct {
    const char* model;
    std::vector<int32_t> hidden;
  } shows[] = {
      {"osr_bs02", {27, 40, 44, 20, 49, 35, 17}},         // type 4
      {"osr_bs03", {0, 9, 21, 23}},                       // type 5
      {"osr_bs05", {18, 26, 35, 5, 15, 40, 56}},          // type 7
      {"osr_bs09", {13}},                                 // type 11
      {"osr_bs12", {25, 20, 5}},                          // type 14
      {"osr_bs14", {72, 77, 15, 37, 49, 40, 5, 23, 17}},  // type 16
  };
  for (const auto& show : shows) {
    const std::string path = std::string("\\enemy\\") + show.model + ".bma";
    const auto bytes = ReadBytes(HostPath(testsupport::GeneratedDataRoot(), path));
    ModelFile f;
    ASSERT_TRUE(ParseModelFile(bytes.data(), bytes.size(), &f)) << show.model;
    std::set<int32_t> parents;
    for (std::size_t i = 0; i < f.nodes.size(); ++i)
      if (f.parentIndex[i] >= 0) parents.insert(f.parentIndex[i]);
    for (int32_t n : show.hidden) {
      EXPECT_LT(std::size_t(n), f.nodes.size()) << show.model << " node " << n;
      EXPECT_EQ(parents.count(n), 0u) << show.model << " node " << n << " has children";
    }
  }
}

}  // namespace
