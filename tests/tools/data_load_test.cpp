// The generated data tree loads through the engine's own resource loaders,
// and a contact sheet of one key frame per sprite table, drawn through the
// sprite batch on the OpenGL device, matches its reference picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "vrax/resource/SImageSlot.h"
#include "game/tables/image_slots.h"
#include "game/tables/table_registry.h"
#include "platform/dds_image.h"
#include "platform/image_decode.h"
#include "platform/window.h"
#include "support/EngineWorld.h"
#include "support/ImageCompare.h"
#include "support/PacketScene.h"
#include "support/TempDir.h"
#include "support/gl_device.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Sound.h"

namespace {

// The engine's managers and the sound player on a kernel, reading the
// generated data tree; graphics on the null device unless `window` is set.
class GeneratedData : public testsupport::EngineWorld {
 protected:
  GeneratedData() { withSound = true; }
  void SetUp() override {
    EngineWorld::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    scene.SetStatic(true);
    ASSERT_EQ(kernel.AddChild(2, &scene, 0), 0);
  }
  void TearDown() override {
    // The slots go empty before the resources are released.
    std::size_t n = 0;
    const ImageDef* const* all = AllImageDefs(&n);
    for (std::size_t i = 0; i < n; ++i) *all[i]->slot = nullptr;
    EngineWorld::TearDown();
  }

  // Loads every request of the table in group 1; false when it never settles.
  bool LoadAll(const std::vector<SRscRequest>& table) {
    rm.LoadTable(1, table.data(), -1);
    for (int i = 0; i < 5000; ++i) {
      if (rm.Sync(0)) return true;
      kernel.Step();
    }
    return false;
  }

  // Every image the tables name, once per path, plus the extra requests.
  // Each image is loaded into the first slot that names its path, then
  // copied into every other slot of that path, so the sprite parts read the
  // loaded images through their own slots. Returns the image per path.
  std::map<std::string, SRsc*> LoadTableImages(std::map<std::string, SRsc*>* banks = nullptr) {
    std::map<SImageSlot*, const ImageDef*> defs;
    std::size_t n = 0;
    const ImageDef* const* all = AllImageDefs(&n);
    for (std::size_t i = 0; i < n; ++i) defs[all[i]->slot] = all[i];
    std::map<std::string, SRsc*> images;
    std::map<std::string, SImageSlot*> firstSlot;
    for (const TableInfo& t : AllTableInfos())
      for (const PartLayout& p : t.parts) {
        const std::string& path = defs.at(p.slot)->path;
        images[path] = nullptr;
        firstSlot.emplace(path, p.slot);
      }
    std::vector<SRscRequest> table;
    for (auto& [path, slot] : images)
      table.push_back({RequestTarget(*firstSlot.at(path)), RscTag("IMG"), path.c_str(), 0, 0, 0, 0});
    if (banks != nullptr)
      for (auto& [path, slot] : *banks) table.push_back({&slot, RscTag("SND"), path.c_str(), 0, 0, 0, 0});
    table.push_back({nullptr, 0, nullptr, 0, 0, 0, 0});
    EXPECT_TRUE(LoadAll(table));
    for (auto& [path, slot] : images) slot = *firstSlot.at(path);
    for (std::size_t i = 0; i < n; ++i)
      if (images.count(all[i]->path)) *all[i]->slot = static_cast<SRsc_Image*>(images.at(all[i]->path));
    return images;
  }

  testsupport::ScopedDataDir data{testsupport::GeneratedDataRoot()};
  testsupport::PacketScene scene;
};

TEST_F(GeneratedData, EveryImageListAndSoundListLoads) {
  std::map<std::string, std::uint32_t> textureCount;
  std::map<SImageSlot*, std::string> pathOf;
  std::size_t n = 0;
  const ImageDef* const* all = AllImageDefs(&n);
  for (std::size_t i = 0; i < n; ++i) pathOf[all[i]->slot] = all[i]->path;
  for (const TableInfo& t : AllTableInfos())
    for (const PartLayout& p : t.parts) {
      auto& count = textureCount[pathOf.at(p.slot)];
      count = std::max(count, p.id + 1);
    }
  std::map<std::string, SRsc*> banks = {{"\\sound\\osr_se", nullptr}, {"\\sound\\osr_voice", nullptr},
                                        {"\\sound\\osr_bgm_low", nullptr}};
  const auto images = LoadTableImages(&banks);
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
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
}

// Every picture file of the tree is read whole by its reader, and the size
// its header gives (what the image loader charges) is the picture's: none
// is refused as too short for what it claims (the densest PNG of the tree
// holds 143 bytes of rows for each byte of its file, where 1032 are
// allowed).
TEST(GeneratedPictures, EveryPictureFileOfTheTreeIsReadWhole) {
  namespace fs = std::filesystem;
  std::map<std::string, int> counts;
  for (const auto& e : fs::recursive_directory_iterator(testsupport::GeneratedDataRoot())) {
    const std::string ext = e.path().extension().string();
    if (ext != ".png" && ext != ".jpg" && ext != ".bmp" && ext != ".dds") continue;
    SCOPED_TRACE(e.path().string());
    std::ifstream in(e.path(), std::ios::binary);
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    plat::Image image;
    std::string why;
    int w = 0, h = 0;
    if (ext == ".bmp") {
      ASSERT_TRUE(plat::ReadBmpSize(file.data(), file.size(), &w, &h, &why)) << why;
      ASSERT_TRUE(plat::DecodeBmp(file.data(), file.size(), &image, &why)) << why;
    } else if (ext == ".dds") {
      ASSERT_TRUE(plat::DecodeDds(file.data(), file.size(), &image, &why)) << why;
      w = image.width, h = image.height;
    } else {
      ASSERT_TRUE(plat::ReadImageSize(file.data(), file.size(), &w, &h));
      ASSERT_TRUE(plat::DecodeImage(file.data(), file.size(), &image, &why)) << why;
    }
    EXPECT_EQ(image.width, w);
    EXPECT_EQ(image.height, h);
    ++counts[ext];
  }
  EXPECT_GT(counts[".png"], 0);
  EXPECT_GT(counts[".bmp"], 0);
  EXPECT_GT(counts[".dds"], 0);
}

// ------------------------------------------------------------ contact sheet

// An image resource holding one texture made in the test.
class TestImage : public SRsc_Image {
 public:
  ~TestImage() override {
    if (texture != nullptr) texture->Release();
  }
  int32_t TextureCount() const override { return texture != nullptr ? 1 : 0; }
  plat::Texture* GetDeviceTexture(int32_t n) const override { return n == 0 ? texture : nullptr; }
  plat::Texture* texture = nullptr;
};

// The sheet: cells of kCell pixels on a kStride grid, kCols x kRows cells a
// frame (640x448 of the 640x480 back buffer); the frames' used rows are
// stacked into one picture.
constexpr int kCell = 60, kStride = 64, kCols = 10, kRows = 7;
constexpr std::uint8_t kCheckDark = 48, kCheckLight = 72;

// Each cell's backdrop: a grey checker board, so transparent areas show.
SImageSlot ImgChecker;
const SGpRect kChecker(&ImgChecker, 0, float(kCell), float(kCell), 0.0f, 0.0f, float(kCell), float(kCell));

plat::Image CheckerBoard() {
  return testsupport::MakeImage(kCell, kCell, [](int x, int y) -> uint32_t {
    const std::uint32_t g = ((x / 6 + y / 6) % 2) ? kCheckDark : kCheckLight;
    return 0xFF000000u | g << 16 | g << 8 | g;
  });
}

class ContactSheet : public GeneratedData {
 protected:
  void SetUp() override {
    // The back buffer keeps its 640x480; a small window makes the hundreds
    // of frames the loading takes cheap to present.
    plat::WindowDesc desc;
    desc.width = 64;
    desc.height = 48;
    desc.hidden = true;
    if (!screen.Create(desc)) OSTREL_SKIP_WITHOUT_GL("no window");
    window = &screen;
    GeneratedData::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // Play coordinates, alpha blended.
    testsupport::AddPlayLayer(&scene, &view, &clip, 4096.0f, true);
    scene.entries.push_back({10, &batch});
    ASSERT_EQ(SGpMan::GetDevice()->CreateTextureFromImage(CheckerBoard(), &checker.texture), plat::kOk);
    ImgChecker = &checker;
  }
  void TearDown() override {
    ReleaseCells();
    ImgChecker = nullptr;
    GeneratedData::TearDown();
  }
  void ReleaseCells() {
    for (SGpSpriteCell* c : cells) delete c;
    cells.clear();
  }
  // A request for the part, scaled by s, its pivot placed so that the part
  // stands centred on screen pixel (cx, cy).
  bool Add(const SGpRect* part, float cx, float cy, float s) {
    SGpSpriteCell* c = batch.AddBack();
    if (c == nullptr) return false;
    cells.push_back(c);
    c->part = part;
    c->scaleX = c->scaleY = s;
    c->ownPos[0] = cx + s * (part->pivotX - part->width * 0.5f) - 320.0f;
    c->ownPos[1] = cy + s * (part->pivotY - part->height * 0.5f) - 240.0f;
    return true;
  }

  plat::Window screen;
  SGpState_View view;
  SGpState_Clip clip;
  SGpSpriteBatch batch;
  std::vector<SGpSpriteCell*> cells;
  TestImage checker;
};

// Pixels of a cell that are not the plain checker backdrop.
int DrawnPixels(const plat::Image& sheet, int x0, int y0) {
  int drawn = 0;
  for (int y = y0; y < y0 + kCell; ++y)
    for (int x = x0; x < x0 + kCell; ++x) {
      const std::uint32_t p = testsupport::PixelAt(sheet, x, y);
      const int r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
      const bool backdrop = r == g && g == b && r >= kCheckDark && r <= kCheckLight;
      if (!backdrop) ++drawn;
    }
  return drawn;
}

TEST_F(ContactSheet, OneKeyFramePerTableMatchesItsReference) {
  const auto images = LoadTableImages();
  ASSERT_TRUE(box.texts.empty()) << box.texts.front();

  // One key frame per table: the first key of its first key list, else part 0.
  std::map<std::string, const SGpRect*> shown;
  for (const KeyListInfo& k : AllKeyListInfos())
    if (!shown.count(k.table)) shown[k.table] = k.list[0].part;
  const auto tables = AllTableInfos();
  std::vector<const SGpRect*> parts;
  for (const TableInfo& t : tables) {
    const SGpRect* part = shown.count(t.name) ? shown[t.name] : &t.rects[0];
    ASSERT_NE(*part->image, nullptr) << t.name;
    ASSERT_NE((*part->image)->GetDeviceTexture(static_cast<int32_t>(part->id)), nullptr) << t.name;
    ASSERT_GT(part->width, 0.0f) << t.name;
    ASSERT_GT(part->height, 0.0f) << t.name;
    parts.push_back(part);
  }

  // One frame per kCols x kRows cells; each frame's used rows are appended.
  constexpr int kPerFrame = kCols * kRows;
  const int rows = static_cast<int>((parts.size() + kCols - 1) / kCols);
  plat::Image sheet;
  sheet.width = kCols * kStride;
  sheet.height = rows * kStride;
  sheet.rgba.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 4, 0);
  for (std::size_t first = 0; first < parts.size(); first += kPerFrame) {
    const std::size_t count = std::min<std::size_t>(kPerFrame, parts.size() - first);
    // Backdrops first: the batch draws its textures in the order it first met them.
    for (std::size_t i = 0; i < count; ++i)
      ASSERT_TRUE(Add(&kChecker, float(i % kCols * kStride + kStride / 2), float(i / kCols * kStride + kStride / 2),
                      1.0f));
    for (std::size_t i = 0; i < count; ++i) {
      const SGpRect* part = parts[first + i];
      const float s = std::min(kCell / part->width, kCell / part->height);
      ASSERT_TRUE(Add(part, float(i % kCols * kStride + kStride / 2), float(i / kCols * kStride + kStride / 2), s))
          << tables[first + i].name;
    }
    kernel.Step();
    plat::Image frame;
    ASSERT_EQ(SGpMan::GetDevice()->ReadBackBuffer(&frame), plat::kOk);
    ASSERT_EQ(frame.width, 640);
    const int frameRows = static_cast<int>((count + kCols - 1) / kCols) * kStride;
    const int top = static_cast<int>(first / kCols) * kStride;
    for (int y = 0; y < frameRows; ++y)
      for (int x = 0; x < sheet.width; ++x)
        for (int k = 0; k < 4; ++k)
          sheet.rgba[(static_cast<std::size_t>(top + y) * sheet.width + x) * 4 + k] =
              k == 3 ? 255 : frame.rgba[(static_cast<std::size_t>(y) * frame.width + x) * 4 + k];
    ReleaseCells();
  }

  // Every cell shows something of its part (the thinnest parts, strips of
  // one or two texels, cover little more than one row of their cell).
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const int x0 = static_cast<int>(i % kCols) * kStride + (kStride - kCell) / 2;
    const int y0 = static_cast<int>(i / kCols) * kStride + (kStride - kCell) / 2;
    EXPECT_GT(DrawnPixels(sheet, x0, y0), kCell / 2) << tables[i].name;
  }
  EXPECT_TRUE(testsupport::MatchesGolden(sheet, "sprite_contact_sheet.png", 2, 64));
}

}  // namespace
