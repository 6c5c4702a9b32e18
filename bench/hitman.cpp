// The collision manager's frame: 1,500 enemy bullets, 300 player shots and
// 100 enemies (a tenth of them at depth) against the Player's bodies and
// each other, through the fixed pair list. The bodies live in pools as in
// play, scattered over the play area with the Player near the bottom.
// Reports microseconds per frame (goal: below 300).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "game/core/ObjPool.h"
#include "game/enemy/EObjBase.h"
#include "game/player/HitMan.h"
#include "game/player/Player.h"
#include "platform/crt_rand.h"

namespace {

class Bullet : public PooledOf<HitBody> {
 public:
  float pos[4] = {0, 0, 0, 1};
};

float Rnd(float lo, float hi) {
  return lo + (hi - lo) * static_cast<float>(plat::Rand()) / static_cast<float>(plat::kRandMax);
}

void BM_HitManFrame(benchmark::State& state) {
  plat::SRand(1234);
  SProc root;
  root.StartRoot(0);
  root.CreateLists(1);
  SProc shotMan, bulletMan;
  Player player;
  for (SProc* p : {static_cast<SProc*>(&shotMan), static_cast<SProc*>(&bulletMan),
                   static_cast<SProc*>(&player)})
    root.AddChildProcess(p, 0);

  // The Player's nine bodies.
  float playerPos[4] = {0.0f, 250.0f, 0.0f, 1.0f};
  HitBody core, body, wide, middle, outer[5];
  core.Register(0, 0, playerPos, 1.0f, &player, 0, 100);
  body.Register(1, 0, playerPos, 1.0f, &player, 0, 100);
  wide.Register(5, 0, playerPos, 90.0f, &player, 0, 100);
  middle.Register(6, 0, playerPos, 40.0f, &player, 0, 100);
  float outerPos[5][4];
  for (int i = 0; i < 5; ++i) {
    outerPos[i][0] = -120.0f + 60.0f * i;
    outerPos[i][1] = 200.0f;
    outerPos[i][2] = 0.0f;
    outer[i].Register(4, 0, outerPos[i], 20.0f, &player, 100, 100);
  }

  ObjPool<Bullet> bullets, shots;
  bullets.Init(1500);
  shots.Init(300);
  for (int i = 0; i < 1500; ++i) {
    Bullet* b = bullets.Acquire();
    b->pos[0] = Rnd(-240, 240);
    b->pos[1] = Rnd(-320, 320);
    b->Register(8, 1, b->pos, 4.0f, &bulletMan, reinterpret_cast<intptr_t>(b), 0);
  }
  for (int i = 0; i < 300; ++i) {
    Bullet* s = shots.Acquire();
    s->pos[0] = Rnd(-240, 240);
    s->pos[1] = Rnd(-320, 320);
    s->Register(i % 4 == 0 ? 3 : 2, 0, s->pos, i % 4 == 0 ? 20.0f : 12.0f, &shotMan, 2, 100);
  }
  std::vector<std::unique_ptr<EObjBase>> enemies;
  for (int i = 0; i < 100; ++i) {
    auto e = std::make_unique<EObjBase>();
    e->hitPosition[0] = Rnd(-240, 240);
    e->hitPosition[1] = Rnd(-320, 100);
    e->hitPosition[2] = i % 10 == 0 ? Rnd(100, 800) : 0.0f;
    e->hitPoints = 1 << 30;
    e->body.Register(7, EObjBase::kDefaultMask, e->hitPosition, 24.0f, e.get(), 0, 100);
    root.AddChildProcess(e.get(), 0);
    enemies.push_back(std::move(e));
  }
  root.Advance();

  HitMan hit;
  hit.SetPlayer(&player);
  for (auto _ : state) {
    hit.TestGroups();
    benchmark::ClobberMemory();
  }
  bullets.DestroyAll();
  shots.DestroyAll();
  for (auto& e : enemies) e->body.Detach();
}
BENCHMARK(BM_HitManFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
