// 10,000 sprite requests per frame through the sprite batch into the draw
// queue, executed on the null device (so only the engine's side is timed:
// the walk over the requests, the quad writes, the texture binds and the
// uploads into the device buffers). Its four pictures are made on the
// device, so every frame draws each part's texture once; a frame that draws
// fewer stops the run with an error rather than timing sprites it did not
// draw. Reports nanoseconds per sprite and draws per frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/crt_rand.h"
#include "platform/gfx_device.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/resource/SImageSlot.h"

namespace {

constexpr int kSprites = 10000;
constexpr int kPictureSide = 256;

SImageSlot ImgSlot[4];
const SGpRect kParts[4] = {
    {&ImgSlot[0], 0, 256.0f, 256.0f, 0.0f, 0.0f, 32.0f, 32.0f},
    {&ImgSlot[1], 0, 256.0f, 256.0f, 32.0f, 0.0f, 16.0f, 16.0f},
    {&ImgSlot[2], 2, 256.0f, 256.0f, 0.0f, 32.0f, 64.0f, 16.0f},
    {&ImgSlot[3], 1, 256.0f, 256.0f, 64.0f, 64.0f, 8.0f, 8.0f},
};
// Each part has a texture of its own: one draw each a frame.
constexpr uint64_t kDrawsPerFrame = std::size(kParts);

// An image whose textures, up to the one its part names, are pictures of
// kPictureSide a side made on the device, as a loaded image's are.
class Picture : public SRsc_Image {
 public:
  Picture(plat::GfxDevice* dev, int textures, uint8_t shade) {
    for (int t = 0; t < textures; ++t) {
      plat::Image pixels;
      pixels.width = pixels.height = kPictureSide;
      pixels.rgba.assign(size_t(kPictureSide) * kPictureSide * 4, uint8_t(shade + t));
      plat::Texture* texture = nullptr;
      if (dev->CreateTextureFromImage(std::move(pixels), &texture) == 0) textures_.push_back(texture);
    }
  }
  ~Picture() override {
    for (plat::Texture* t : textures_) SGpMan::ForgetTexture(t), t->Release();
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  int32_t TextureCount() const override { return int32_t(textures_.size()); }
  plat::Texture* GetDeviceTexture(int32_t n) const override {
    return n >= 0 && n < TextureCount() ? textures_[size_t(n)] : nullptr;
  }

 private:
  std::vector<plat::Texture*> textures_;
};

// Set when a frame drew fewer textures than it names: the run then fails
// instead of reporting a time for work it did not do.
bool g_frameDrewShort = false;

enum Layout { kGrouped, kInterleaved, kRotated, kBillboard };

void BM_SpriteBatch(benchmark::State& state) {
  const Layout layout = static_cast<Layout>(state.range(0));
  SGpMan::SetStartsSound(false);
  SGpDeviceRecord rec;  // null window: the null device
  rec.holdRate = 0;
  if (SGpMan::CreateDevice(&rec) != 0) {
    state.SkipWithError("no device");
    return;
  }
  plat::GfxDevice* dev = SGpMan::GetDevice();
  std::vector<std::unique_ptr<Picture>> pictures;
  for (int i = 0; i < 4; ++i) {
    pictures.push_back(std::make_unique<Picture>(dev, int(kParts[i].id) + 1, uint8_t(64 * i)));
    ImgSlot[i] = pictures.back().get();
  }
  GetSpriteCellPool()->Init(kSprites);

  SGpSpriteBatch batch;
  plat::SRand(0);
  std::vector<SGpSpriteCell*> cells;
  for (int i = 0; i < kSprites; ++i) {
    SGpSpriteCell* c = batch.AddBack();
    const int tex = layout == kInterleaved ? plat::Rand() % 4 : i * 4 / kSprites;
    c->part = &kParts[tex];
    c->ownPos[0] = float(plat::Rand() % 640) - 320.0f;
    c->ownPos[1] = float(plat::Rand() % 480) - 240.0f;
    c->colour[3] = float(plat::Rand() % 256) / 255.0f;
    if (layout == kRotated) c->angle = float(plat::Rand() % 1000) / 1000.0f;
    c->billboard = layout == kBillboard;
    cells.push_back(c);
  }
  SGpQueue queue;
  queue.Create(SGpMan::kQueueBits);
  dev->BeginScene();
  const uint64_t drawsBefore = dev->GetStats().draws;
  for (auto _ : state) {
    const uint64_t draws = dev->GetStats().draws;
    queue.Reset();
    batch.EnterQueue(&queue, 12);
    queue.Execute();
    if (dev->GetStats().draws - draws != kDrawsPerFrame) {
      const std::string drew = "a frame drew " + std::to_string(dev->GetStats().draws - draws) + " of its " +
                               std::to_string(kDrawsPerFrame) + " textures";
      state.SkipWithError(drew.c_str());
      g_frameDrewShort = true;
      break;
    }
    for (size_t i = 0; i < cells.size(); i += 97) cells[i]->ownPos[0] += 1.0f;  // some movement
  }
  dev->EndScene();
  state.counters["ns_per_sprite"] = benchmark::Counter(
      double(kSprites) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["draws_per_frame"] =
      double(dev->GetStats().draws - drawsBefore) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
  for (SGpSpriteCell* c : cells) delete c;
  batch.Clear();
  for (SImageSlot& s : ImgSlot) s.Reset();
  pictures.clear();
  SGpMan::ReleaseDevice();
  GetSpriteCellPool()->Init(1024);
}

BENCHMARK(BM_SpriteBatch)
    ->Arg(kGrouped)
    ->Arg(kInterleaved)
    ->Arg(kRotated)
    ->Arg(kBillboard)
    ->ArgNames({"layout"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return g_frameDrewShort ? 1 : 0;
}
