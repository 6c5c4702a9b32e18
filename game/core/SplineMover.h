#pragma once
// Moves a point along cubic Hermite segments through a list of keys (a
// position, a tangent and a duration in frames each). The owner adds at
// least two keys and calls Advance once per frame until it reports the end.
#include <cstdint>

#include "game/core/ObjPool.h"
#include "vrax/kernel/SObject.h"

class SplineKey : public PooledOf<SObject> {
 public:
  SplineKey() : position(ownPosition) {}

  float* position;  // ownPosition, or a point owned elsewhere that may move
  float ownPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float tangent[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float frames = 0.0f;  // duration of the segment that starts here
};

class SplineMover {
 public:
  static constexpr int32_t kKeyCapacity = 16;

  SplineMover();
  ~SplineMover();
  SplineMover(const SplineMover&) = delete;
  SplineMover& operator=(const SplineMover&) = delete;

  // Appends a key holding a copy of position (x, y, z, w) with the tangent
  // (x, y, z) and the segment's frames; a length other than -1.0 normalises
  // the tangent and scales it to that length. Nothing when the pool is full.
  void AddKey(const float* position, const float* tangent, float frames, float length);
  // The same, but the key reads the point afresh at every evaluation.
  void AddKeyShared(float* point, const float* tangent, float frames, float length);
  // Back to no keys, nothing running.
  void Clear();
  // Writes the point of this frame into out (x, y, z) and advances by step
  // frames. True while moving; false when the path has ended (the last key's
  // point is then written and the mover cleared). A mover with fewer than
  // two keys writes its only key (or nothing) and reports the end; a
  // segment of 0 frames is at its end point at once.
  bool Advance(float* out, float step);

  int32_t KeyCount() const { return keys_.Count(); }

  SplineKey* current = nullptr;
  SplineKey* next = nullptr;
  float elapsed = 0.0f;
  uint32_t laps = 0;
  uint8_t loop = 0;

 private:
  SplineKey* Append(const float* tangent, float frames, float length);

  SObjList keys_;
  ObjPool<SplineKey> pool_;
};
