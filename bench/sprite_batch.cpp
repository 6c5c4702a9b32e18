// 10,000 sprite requests per frame through the sprite batch into the draw
// queue, executed on the null device (so only the engine's side is timed:
// the walk over the requests, the quad writes, the texture binds and the
// uploads into the device buffers). Reports nanoseconds per sprite.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/resource/SImageSlot.h"

namespace {

constexpr int kSprites = 10000;

SImageSlot ImgSlot[4];
const SGpRect kParts[4] = {
    {&ImgSlot[0], 0, 256.0f, 256.0f, 0.0f, 0.0f, 32.0f, 32.0f},
    {&ImgSlot[1], 0, 256.0f, 256.0f, 32.0f, 0.0f, 16.0f, 16.0f},
    {&ImgSlot[2], 2, 256.0f, 256.0f, 0.0f, 32.0f, 64.0f, 16.0f},
    {&ImgSlot[3], 1, 256.0f, 256.0f, 64.0f, 64.0f, 8.0f, 8.0f},
};

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
  SRsc_Image_Ex images[4];
  for (int i = 0; i < 4; ++i) ImgSlot[i] = &images[i];
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
  plat::GfxDevice* dev = SGpMan::GetDevice();
  dev->BeginScene();
  for (auto _ : state) {
    queue.Reset();
    batch.EnterQueue(&queue, 12);
    queue.Execute();
    for (size_t i = 0; i < cells.size(); i += 97) cells[i]->ownPos[0] += 1.0f;  // some movement
  }
  dev->EndScene();
  state.counters["ns_per_sprite"] = benchmark::Counter(
      double(kSprites) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["draws_per_frame"] = double(dev->GetStats().draws) / double(state.iterations() + 1);
  for (SGpSpriteCell* c : cells) delete c;
  batch.Clear();
  SGpMan::ReleaseDevice();
  for (SImageSlot& s : ImgSlot) s.Reset();
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

BENCHMARK_MAIN();
