// The generated data tree loads through the engine's own resource loaders,
// and a contact sheet of one key frame per sprite table, cut from the loaded
// textures by the tables' texture coordinates, matches its reference picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/tables/image_slots.h"
#include "game/tables/table_registry.h"
#include "support/EngineWorld.h"
#include "support/ImageCompare.h"
#include "support/TempDir.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Sound.h"

namespace {

std::string DataRoot() {
  const char* env = std::getenv("OSTREL_DATA_DIR");
  return env != nullptr ? env : OSTREL_TEST_BINARY_DIR "/data";
}

// The engine's managers and the sound player on a kernel, reading the
// generated data tree.
class GeneratedData : public testsupport::EngineWorld {
 protected:
  GeneratedData() { withSound = true; }
  // Loads every request of the table in group 1; false when it never settles.
  bool LoadAll(const std::vector<SRscRequest>& table) {
    rm.LoadTable(1, table.data(), -1);
    for (int i = 0; i < 5000; ++i) {
      if (rm.Sync(0)) return true;
      kernel.Step();
    }
    return false;
  }

  testsupport::ScopedDataDir data{DataRoot()};
};

std::map<SRsc_Image**, const ImageDef*> DefsBySlot() {
  std::map<SRsc_Image**, const ImageDef*> defs;
  std::size_t n = 0;
  const ImageDef* const* all = AllImageDefs(&n);
  for (std::size_t i = 0; i < n; ++i) defs[all[i]->slot] = all[i];
  return defs;
}

// One 48 x 48 cell: the part's texels, sampled through its corner
// coordinates (nearest texel), fitted to the cell keeping its proportions,
// over a checker board so transparent areas show.
void DrawCell(plat::Image& sheet, int cx, int cy, const SGpRect& part, const plat::Image& tex) {
  constexpr int kCell = 48;
  const float scale = std::min(kCell / std::max(part.width, 1.0f), kCell / std::max(part.height, 1.0f));
  const int w = std::max(1, static_cast<int>(part.width * scale)), h = std::max(1, static_cast<int>(part.height * scale));
  const int ox = cx + (kCell - w) / 2, oy = cy + (kCell - h) / 2;
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      std::uint8_t* d = &sheet.rgba[(static_cast<std::size_t>(cy + y) * sheet.width + cx + x) * 4];
      const std::uint8_t bg = ((x / 6 + y / 6) % 2) ? 48 : 72;
      d[0] = d[1] = d[2] = bg;
      d[3] = 255;
      const int px = cx + x - ox, py = cy + y - oy;
      if (px < 0 || py < 0 || px >= w || py >= h) continue;
      const float fu = (px + 0.5f) / w, fv = (py + 0.5f) / h;
      const float u = part.uTL + (part.uTR - part.uTL) * fu, v = part.vTL + (part.vBL - part.vTL) * fv;
      const int tx = std::clamp(static_cast<int>(u * tex.width), 0, tex.width - 1);
      const int ty = std::clamp(static_cast<int>(v * tex.height), 0, tex.height - 1);
      const std::uint8_t* s = &tex.rgba[(static_cast<std::size_t>(ty) * tex.width + tx) * 4];
      for (int k = 0; k < 3; ++k) d[k] = static_cast<std::uint8_t>((s[k] * s[3] + d[k] * (255 - s[3])) / 255);
    }
}

TEST_F(GeneratedData, EveryImageListAndSoundListLoadsAndTheSpritesMatchTheirReference) {
  const auto defs = DefsBySlot();
  // Every image the tables name, once per path, and the three sound banks.
  // Each image is loaded into the first slot that names its path; the sprite
  // parts then read the loaded images through their own slots.
  std::map<std::string, SRsc*> images;
  std::map<std::string, SRsc_Image**> firstSlot;
  std::map<std::string, std::uint32_t> textureCount;
  for (const TableInfo& t : AllTableInfos())
    for (const PartSpec& p : t.parts) {
      const std::string& path = defs.at(p.slot)->path;
      images[path] = nullptr;
      firstSlot.emplace(path, p.slot);
      textureCount[path] = std::max(textureCount[path], p.id + 1);
    }
  std::map<std::string, SRsc*> banks = {{"\\sound\\osr_se", nullptr}, {"\\sound\\osr_voice", nullptr},
                                        {"\\sound\\osr_bgm_low", nullptr}};
  std::vector<SRscRequest> table;
  for (auto& [path, slot] : images)
    table.push_back({RequestTarget(*firstSlot.at(path)), RscTag("IMG"), path.c_str(), 0, 0, 0, 0});
  for (auto& [path, slot] : banks) table.push_back({&slot, RscTag("SND"), path.c_str(), 0, 0, 0, 0});
  table.push_back({nullptr, 0, nullptr, 0, 0, 0, 0});
  ASSERT_TRUE(LoadAll(table));
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();

  std::size_t n = 0;
  const ImageDef* const* all = AllImageDefs(&n);
  for (auto& [path, slot] : images) slot = *firstSlot.at(path);
  for (std::size_t i = 0; i < n; ++i)
    if (images.count(all[i]->path)) *all[i]->slot = static_cast<SRsc_Image*>(images.at(all[i]->path));
  for (const auto& [path, slot] : images) {
    ASSERT_NE(slot, nullptr) << path;
    EXPECT_EQ(slot->GetStatus(), kRscReady) << path;
    EXPECT_EQ(static_cast<SRsc_Image*>(slot)->TextureCount(), static_cast<int32_t>(textureCount[path])) << path;
  }
  for (const auto& [path, slot] : banks) {
    ASSERT_NE(slot, nullptr) << path;
    EXPECT_EQ(slot->GetStatus(), kRscReady) << path;
  }
  EXPECT_EQ(static_cast<SRsc_Sound*>(banks["\\sound\\osr_se"])->Count(), 64);
  EXPECT_EQ(static_cast<SRsc_Sound*>(banks["\\sound\\osr_voice"])->Count(), 64);
  EXPECT_EQ(static_cast<SRsc_Sound*>(banks["\\sound\\osr_bgm_low"])->Count(), 8);

  // One key frame per table: the first key of its first key list, else part 0.
  std::map<std::string, const SGpRect*> shown;
  for (const KeyListInfo& k : AllKeyListInfos())
    if (!shown.count(k.table)) shown[k.table] = k.list[0].part;
  const auto tables = AllTableInfos();
  constexpr int kCols = 12, kCell = 48, kGap = 2;
  const int rows = static_cast<int>((tables.size() + kCols - 1) / kCols);
  plat::Image sheet;
  sheet.width = kCols * (kCell + kGap);
  sheet.height = rows * (kCell + kGap);
  sheet.rgba.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 4, 255);
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const TableInfo& t = tables[i];
    const SGpRect* part = shown.count(t.name) ? shown[t.name] : &t.rects[0];
    SRsc_Image* img = *part->image;
    ASSERT_NE(img, nullptr) << t.name;
    plat::Texture* tex = img->GetDeviceTexture(static_cast<int32_t>(part->id));
    ASSERT_NE(tex, nullptr) << t.name;
    DrawCell(sheet, static_cast<int>(i % kCols) * (kCell + kGap), static_cast<int>(i / kCols) * (kCell + kGap), *part,
             tex->Pixels());
  }
  EXPECT_TRUE(testsupport::MatchesGolden(sheet, "sprite_contact_sheet.png", 2, 0));
  // The slots go empty again before the resources are released.
  for (std::size_t i = 0; i < n; ++i) *all[i]->slot = nullptr;
}

}  // namespace
