#pragma once
// Moving brushes that paint into colour grids: each brush eases its
// position, radius, two colours and strength over its life and paints its
// blob into its target grid once per frame. Brushes come from a pool of 256
// cells sized on first use.
#include <cstdint>

#include "game/core/ObjPool.h"
#include "game/effect/ColourGridPacket.h"
#include "vrax/graphic/SGpObj.h"

class Brush : public PoolElement {
 public:
  ColourGridPacket* target = nullptr;  // a grid of the same owner, which outlives its brushes
  float x = 0, y = 0;
  float radius0 = 0, radiusD = 0;
  float colour1[4] = {}, colour2[4] = {};
  float colour1D[4] = {}, colour2D[4] = {};
  float strength0 = 0, strengthD = 0;
  float vel0[2] = {}, velD[2] = {};
  int32_t life = 0;
  int32_t easing = 0;
  int32_t age = 0;
};

class BrushListPacket : public SGpObj {
 public:
  static constexpr int32_t kCapacity = 256;

  ~BrushListPacket() override;

  // Adds a brush (velocities are two floats); null when the pool is full.
  virtual Brush* Add(ColourGridPacket* target, float x, float y, float radius0, float radius1,
                     const float* colour1From, const float* colour2From, const float* colour1To,
                     const float* colour2To, float strength0, float strength1, const float* vel0,
                     const float* vel1, int32_t life, int32_t easing);
  virtual void ClearAll();
  // One frame: every brush moves, paints and ages; a brush paints life + 1
  // times (a life below 1 paints once) and is then released.
  virtual void Update();

  int32_t Count() const { return list_.Count(); }

 private:
  ObjPool<Brush> pool_;
  SObjList list_;
};
