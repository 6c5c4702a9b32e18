// Frames of enemy fire on the null device, through the kernel as in play:
// the graphic manager resets and executes the draw queue, the collision
// manager tests the Player's bodies against groups 8 and 9, and the managers
// move, cull and write their quads.
//
// BM_EnemyShotsFrame: 1,500 live bullets (every kind and batch, each
// circling on a looping motion record, so none leaves) updated, hit-tested
// and queued. Goal: below 400 microseconds a frame.
// BM_HeaviestPlayFrame: the same 1,500 bullets plus 2,048 effect particles
// and 4 full laser beams. Goal: below 1,000 microseconds a frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/player/HitMan.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/kernel/SKernel.h"

namespace {

// Passes the frame events on to its children, as the game's processes do.
class Relay : public SProc {
 protected:
  int32_t Init(SProcArg) override {
    SetInitResult(0);
    return 0;
  }
  int32_t Draw(SProcArg a) override { return Pass(EVENT_DRAW, a); }
  int32_t Begin(SProcArg a) override { return Pass(EVENT_BEGIN, a); }
  int32_t Main(SProcArg a) override { return Pass(EVENT_MAIN, a); }
  int32_t End(SProcArg a) override { return Pass(EVENT_END, a); }

 private:
  int32_t Pass(int32_t code, SProcArg a) {
    BroadcastAll(code, a);
    return 0;
  }
};

// Enters the effect particles' sprite sheets (the Game's draw does it in
// play).
class SheetDrawer : public SProc {
 public:
  explicit SheetDrawer(Game* g) : game_(g) {}

 protected:
  int32_t Init(SProcArg) override {
    SetInitResult(0);
    return 0;
  }
  int32_t Draw(SProcArg) override {
    for (int k : {6, 7}) game_->LayerBatch(k).Enter(k);
    return 0;
  }

 private:
  Game* game_;
};

float Rnd(float lo, float hi) {
  return lo + (hi - lo) * static_cast<float>(plat::Rand()) / static_cast<float>(plat::kRandMax);
}

// About a turn of the circle every 61 frames at speed 2, over and over.
const EShotMotion kCircle = [] {
  EShotMotion m;
  m.duration = 60;
  m.flags = 0x100 | 0x800000;
  m.angleDelta = 1.0f;
  m.speed = 2.0f;
  m.next = &m;
  return m;
}();

struct World {
  explicit World(bool heavy) {
    SGpMan::SetStartsSound(false);
    kernel.Start();
    gp.SetStatic(true);
    SGpDeviceRecord rec;  // no window: the null device
    rec.holdRate = 0;
    kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec));
    for (SProc* p : {static_cast<SProc*>(&root), static_cast<SProc*>(&hitman), static_cast<SProc*>(&player),
                     static_cast<SProc*>(&owner), static_cast<SProc*>(&eshot), static_cast<SProc*>(&efx),
                     static_cast<SProc*>(&sheets)})
      p->SetStatic(true);
    kernel.AddChild(2, &root, 0);
    for (SProc* p : {static_cast<SProc*>(&hitman), static_cast<SProc*>(&owner), static_cast<SProc*>(&eshot),
                     static_cast<SProc*>(&efx), static_cast<SProc*>(&sheets)})
      root.AddChild(0, p, 0);
    root.AddChild(0, &player, 0);
    hitman.SetPlayer(&player);
    // The Player near the bottom right with its core, wide and outer bodies,
    // clear of the beams (a touch would cut them).
    core.Register(0, 0, playerPos, 1.0f, &player, 0, 100);
    wide.Register(5, 0, playerPos, 90.0f, &player, 0, 100);
    for (int i = 0; i < 5; ++i) {
      outerPos[i][0] = playerPos[0] - 120.0f + 60.0f * static_cast<float>(i);
      outerPos[i][1] = 280.0f;
      outer[i].Register(4, 0, outerPos[i], 20.0f, &player, 100, 100);
    }
    plat::SRand(1);
    if (heavy) {
      for (int i = 0; i < 4; ++i) {
        SMatrix m = kIdentityMatrix;
        m.m[3][0] = -220.0f + 50.0f * static_cast<float>(i);
        m.m[3][1] = -300.0f;
        owner.AddChild(0, ELaserGen::ELaserGenEx(&m, 0x1, 8.0f, 1 << 30, i & 3, 0.5f, 20, 10, 12, 6, 25, 10, 10, 4, 30),
                       0);
      }
    }
    for (int i = 0; i < 300; ++i) Frame(heavy);  // lasers charged and full
  }
  ~World() {
    EShotMan::ClearAll(0);
    kernel.Kill(0);
    kernel.Dispose();
    SGpMan::SetStartsSound(true);
    SGpMan::ResetRenderState();
  }
  // Keeps 1,500 bullets and 2,048 particles alive (circles drift a little
  // every turn and particles fade: what leaves is replaced), then runs one
  // kernel step.
  void Frame(bool heavy) {
    while (eshot.LiveCount() < EShotMan::kCapacity) {
      int32_t kind = plat::Rand() % 17;
      if (kind == 14) kind = 0;
      const int32_t code = ((plat::Rand() % 6) << 8) | kind;
      EShotMan::Fire(code, 5, Rnd(-200, 200), Rnd(-290, 150), 0.0f, Rnd(0, 1), 2.0f, &kCircle, -1, nullptr, 1.0f);
    }
    if (heavy) {
      const float c0[4] = {1.0f, 0.8f, 0.4f, 1.0f};
      const float c1[4] = {1.0f, 0.2f, 0.1f, 0.0f};
      while (efx.LiveCount(1) < EfxMan::kSpriteCells) {
        const SVec4 p{Rnd(-240, 240), Rnd(-320, 320), 0.0f, 1.0f};
        const SVec4 v{Rnd(-1, 1), Rnd(-1, 1), 0.0f, 0.0f};
        if (efx.SpawnSprite(6, &p, SprEfx_10Keys, c0, c1, 60, 60, 0.0f, 1.0f, 1.0f, &v, nullptr, 0.0f, 1) ==
            nullptr)
          break;
      }
    }
    kernel.Step();
  }

  SKernel kernel;
  SGpMan gp;
  Game game;
  Relay root, owner;
  HitMan hitman;
  Player player;
  EShotMan eshot;
  EfxMan efx;
  SheetDrawer sheets{&game};
  float playerPos[4] = {150.0f, 300.0f, 0.0f, 1.0f};
  float outerPos[5][4] = {};
  HitBody core, wide, outer[5];
};

void Run(benchmark::State& state, bool heavy) {
  World w(heavy);
  for (auto _ : state) w.Frame(heavy);
  state.counters["bullets"] = w.eshot.LiveCount();
  state.counters["particles"] = w.efx.LiveCount(1);
  int segments = 0;
  if (SProcList* l = w.owner.GetList(0))
    for (SProc* p = l->Head(); p != nullptr; p = SProcList::Next(p))
      segments += static_cast<ELaserGen*>(p)->LiveSegments();
  state.counters["laser_segments"] = segments;
}

void BM_EnemyShotsFrame(benchmark::State& state) { Run(state, false); }
void BM_HeaviestPlayFrame(benchmark::State& state) { Run(state, true); }

BENCHMARK(BM_EnemyShotsFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeaviestPlayFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
