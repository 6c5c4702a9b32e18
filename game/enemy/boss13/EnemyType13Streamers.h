#pragma once
// "EnemyType13Streamers": the light streamers boss type 13 materialises
// from. Each streamer is a glowing sprite of the game's sprite sheet 8 that
// fades in, travels along a short Hermite path from its start to its end
// point dropping a trail, and fades out. A pool of 64 streamers; a launch
// that finds no free streamer or no free sprite is dropped.
#include <cstdint>

#include "game/core/ObjPool.h"
#include "game/core/SplineMover.h"
#include "vrax/graphic/SGpSpriteCell.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class EnemyType13Streamer : public PoolElement {
 public:
  enum : int32_t { FADE_IN = 0, TRAVEL = 1, FADE_OUT = 2 };
  ~EnemyType13Streamer() override;

  SHandle<SGpSpriteCell> sprite;
  float position[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float trail[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  SplineMover path;
  int32_t phase = FADE_IN;
  float life = 0.0f;
};

class EnemyType13Streamers : public SProc {
 public:
  static constexpr int32_t kCapacity = 64;
  static constexpr uint32_t kSheet = 8;

  // One streamer from start to end (copied now) over `frames`, its sprite
  // sized `life` and its trail 0.6 x `life`. Nothing when the pool or the sprite sheet is full.
  void Launch(const float* start, const float* end, float frames, float life);
  int32_t LiveCount() const { return live_.Count(); }
  const SObjList& Live() const { return live_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Step(EnemyType13Streamer* e);
  void ReleaseAll();

  // The list before the pool: the pool's elements unlink from it when the
  // pool goes.
  SObjList live_;
  ObjPool<EnemyType13Streamer> pool_;
};
