// libFuzzer entry point: the input as an image list (".tr"), parsed, then
// loaded by the image resource as the game loads it: every name it reads
// queues its texture file, one a frame, and makes a texture. The lists may
// name "a.png" and "b.png" (2 x 2), "c.png" (a header of 4096 x 4096, 64 MB
// of pixels, the budget whole, over one row of data: refused from its
// header, as a file that cannot hold its rows), "d.png" (1024 x 1024, 4 MB)
// and "e.png" (d.png's first half: charged, then failing to decode), which
// the I/O manager's cache holds (so their decode also runs ahead on the
// worker); other names are missing. So the fuzzer's time and memory limits
// hold the loader's whole cost, not only the parse. The pictures the image
// made, each texture counted once, must fit the loader's budget (d.png made
// for each of 128 names would pass it), a name given again must bind the
// texture of its first line, and once the image settles, failed or not,
// what is charged to all resources together follows what it made: its
// textures' pixels, and no more than the files' own bytes besides (a
// picture that failed, or that the decode-ahead charged and was never
// made, holds nothing), beside what the cache's entries hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/large_files.h"
#include "fuzz/loader_world.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/io/SIOMan.h"
#include "vrax/resource/ImageList.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

// A 2 x 2 RGBA PNG: two rows of an opaque red and a half-clear green pixel.
const std::vector<uint8_t> kPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xB6, 0x0D, 0x24, 0x00,
    0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8, 0xCF, 0xC0, 0xF0, 0x1F, 0x08, 0x1B,
    0x18, 0x60, 0x0C, 0x00, 0x40, 0x57, 0x06, 0xFB, 0x56, 0x7C, 0xC5, 0xA6, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> names;
  const bool parsed = image_list::Parse(data, size, &names);
  if (parsed) {
    if (names.size() > image_list::kMaxImageListNames) __builtin_trap();
    for (const std::string& n : names) {
      if (n.empty() || n.size() > image_list::kImageNameMax) __builtin_trap();
    }
  }
  static const std::vector<uint8_t> kLarge = testsupport::FlatPng(4096, 4096, 0xFF336699u, {}, 1);
  static const std::vector<uint8_t> kMiddle = testsupport::FlatPng(1024, 1024, 0x80FFCC00u);
  static const std::vector<uint8_t> kHalf = testsupport::FlatPng(1024, 1024, 0x80FFCC00u, {}, 512);
  fuzzsupport::LoaderWorld& world = fuzzsupport::LoaderWorld::Get();
  const fuzzsupport::LoaderWorld::Files files = {{"\\f\\a.png", kPng},
                                                 {"\\f\\b.png", kPng},
                                                 {"\\f\\c.png", kLarge},
                                                 {"\\f\\d.png", kMiddle},
                                                 {"\\f\\e.png", kHalf},
                                                 {"\\f\\list.tr", std::vector<uint8_t>(data, data + size)}};
  uint64_t fileBytes = 0;
  for (const auto& f : files) fileBytes += f.second.size();
  // An input whose first byte is odd loads with the room in the shared total
  // its next two bytes give (in 256-byte steps up to 16 MB; the top bit of
  // the first flipped, so that separators before the first name give room
  // for d.png's picture): the decode-ahead's copies and pixels take what is
  // free, and the image's own loads take it back from them.
  LoadTotal& total = LoadedTotal();
  const uint64_t limit = total.Limit();
  if (size > 2 && (data[0] & 1) != 0)
    total.SetLimit(total.Used() + (uint64_t(data[1] ^ 0x80) << 16 | uint64_t(data[2]) << 8));
  SRsc* r = world.Load(RscTag("IMG"), "\\f\\list", files);
  total.SetLimit(limit);
  if (r == nullptr || !r->IsSettled()) __builtin_trap();
  auto* image = static_cast<SRsc_Image*>(r);
  const int32_t count = image->TextureCount();
  if (static_cast<size_t>(count) > image_list::kMaxImageListNames) __builtin_trap();
  std::vector<plat::Texture*> made;
  uint64_t bytes = 0;
  for (int32_t i = 0; i < count; ++i) {
    plat::Texture* t = image->GetDeviceTexture(i);
    if (t == nullptr) __builtin_trap();
    if (std::find(made.begin(), made.end(), t) != made.end()) continue;
    made.push_back(t);
    bytes += uint64_t(t->Width()) * uint64_t(t->Height()) * 4;
  }
  if (bytes > kMaxResourceBytes) __builtin_trap();
  // Beside the cache's entries, which hold the files for the world.
  const uint64_t held = LoadedTotal().Used() - SIOMan::GetInstance()->Cache().ChargedBytes();
  if (held < bytes || held > bytes + fileBytes) __builtin_trap();
  if (parsed) {
    for (int32_t i = 0; i < count && size_t(i) < names.size(); ++i) {
      const auto first = std::find(names.begin(), names.end(), names[size_t(i)]) - names.begin();
      if (image->GetDeviceTexture(static_cast<int32_t>(first)) != image->GetDeviceTexture(i)) __builtin_trap();
    }
  }
  // Released, the resource gave back all it charged to the shared total,
  // its files and copies too (Release traps otherwise).
  world.Release();
  return 0;
}
