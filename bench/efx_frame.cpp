// One frame of the effect manager at its heaviest ordinary load: 2,048 live
// sprite particles, 384 streaks and 64 rings, updated (EVENT_END) and
// entered into the draw queue (EVENT_DRAW) on the null device. Goal: under
// 0.3 ms a frame. The second case adds what the queue's execution then does
// for the particles: their sprite sheet writing its 2,048 quads.
#include <benchmark/benchmark.h>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/kernel/SKernel.h"

namespace {

void BM_EfxFrame(benchmark::State& state) {
  const bool withSheet = state.range(0) != 0;
  SGpMan::SetStartsSound(false);
  SKernel kernel;
  SGpMan gp;
  gp.SetStatic(true);
  if (kernel.Start() != 0) {
    state.SkipWithError("no kernel");
    return;
  }
  SGpDeviceRecord rec;  // null window: the null device
  rec.holdRate = 0;
  if (kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)) != 0) {
    state.SkipWithError("no device");
    return;
  }
  Game game;
  SProc root;
  EfxMan efx;
  root.StartRoot(0);
  root.CreateLists(1);
  root.AddChildProcess(&efx, 0);
  root.Advance();
  plat::SRand(0);
  const float white[4] = {1, 1, 1, 1};
  const float clear[4] = {1, 1, 1, 0};
  for (int i = 0; i < 2048; ++i) {
    const SVec4 p{float(plat::Rand() % 480) - 240.0f, float(plat::Rand() % 640) - 320.0f, 0.0f, 1.0f};
    const SVec4 v{0.01f, 0.02f, 0.0f, 0.0f};
    efx.SpawnSprite(6, &p, EfxKeyList1, white, clear, 1 << 30, 10, 0.0f, 1.0f, 1.0f, &v, &v, 0.99f, 1);
  }
  for (int i = 0; i < 384; ++i) {
    const SVec4 p{float(i) - 192.0f, 0.0f, 0.0f, 1.0f};
    const SVec4 v{0.0f, 0.5f, 0.0f, 0.0f};
    efx.SpawnB(static_cast<uint32_t>(i), &p, &v, 1 << 30, 1.0f);
  }
  for (int i = 0; i < 64; ++i) {
    SMatrix m = kIdentityMatrix;
    m.m[3][0] = float(i * 4);
    efx.SpawnC(static_cast<uint32_t>(i), 1, &m, 10.0f, 100.0f, 0.0f, 8.0f, white, clear, 1 << 30, nullptr);
  }
  SGpSpriteBatch& sheet = game.LayerBatch(6);
  for (auto _ : state) {
    gp.SendEvent(SProc::EVENT_DRAW, 0);  // resets the queue
    efx.SendEvent(SProc::EVENT_DRAW, 0);
    if (withSheet) sheet.Build();
    efx.SendEvent(SProc::EVENT_END, 0);
  }
  state.counters["sprites"] = double(efx.LiveCount(1));
  state.counters["streaks"] = double(efx.LiveCount(2));
  state.counters["rings"] = double(efx.LiveCount(3));
  efx.ClearAll();
  sheet.Clear();
  root.DisposeChildren();
  kernel.Kill(0);
  kernel.Dispose();
  GetSpriteCellPool()->Init(1024);
}

BENCHMARK(BM_EfxFrame)->Arg(0)->Arg(1)->ArgNames({"sheet"})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
