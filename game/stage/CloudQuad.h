#pragma once
// The cloud layer of a stage scene: up to 50 drifting cloud quads whose
// colour, drift, spawn rate and look follow MapMng's rail position through
// a table of ranges. Process name "CloudQuad".
//
// A range table is a run of 24-float entries: [0] from position, [1] drift
// x, [2] drift z, [3] drift factor, [4..7] colour r, g, b, a, [8] a carried
// value, [9] start y, [10] spawn interval, [11] rotation (turns); [12] to
// position and [13..23] the same eleven values there. An entry whose from
// and to are both -1.0 ends the table. The entry used is the first with
// from <= t <= to.
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

// The argument of EVENT_INIT.
struct CloudQuadArgs {
  int32_t stage = 0;
  const float* table0 = nullptr;  // range table of path 0 (may be null)
  const float* table1 = nullptr;  // of path 1
  // Low byte: the mode (0 screen-space clouds, 1 clouds placed by the view);
  // second byte: the billboard flag.
  uint32_t flags = 0;
  float life = 0.0f;  // life at spawn (rail keys)
  float z = 0.0f;     // z at spawn
};

// The index of the first entry of the table with from <= t <= to; -1 at the
// terminator (or for a null table).
int32_t FindCloudRange(const float* table, float t);

class CloudQuad : public SProc {
 public:
  static constexpr int kClouds = 50;
  static constexpr int kEntryFloats = 24;
  static constexpr int32_t kDrawKey = 20;

  struct Cloud {
    uint8_t alive = 0;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float scale = 1.0f;
    float life = 0.0f;
  };

  // The stage's values at rail position d (flag 0: camera path 0): stage 2's
  // life at spawn, stage 4's z at spawn; other stages keep theirs.
  void UpdateByDistance(int32_t flag, float d);

  const Cloud& GetCloud(int i) const { return clouds_[i]; }
  int32_t GetAliveCount() const { return aliveCount_; }
  int32_t GetRingIndex() const { return ring_; }
  float GetSpawnTimer() const { return timer_; }
  float GetLifeAtSpawn() const { return life_; }
  float GetZAtSpawn() const { return z_; }
  const float* GetColour() const { return colour_; }
  float GetSpawnInterval() const { return interval_; }
  float GetStartY() const { return startY_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  void Spawn();

  int32_t stage_ = 0;
  const float* tables_[2] = {nullptr, nullptr};
  uint8_t mode_ = 0;
  uint8_t billboard_ = 0;
  float life_ = 0.0f;
  float z_ = 0.0f;
  SGpObj_Prim quad_;
  SGpState_World packets_[kClouds];
  Cloud clouds_[kClouds];
  int32_t aliveCount_ = 0;
  int32_t ring_ = 0;
  float timer_ = 0.0f;
  // Current range values.
  float colour_[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float driftX_ = 0.0f, driftZ_ = 0.0f;
  float driftFactor_ = 0.0f;
  float carried_ = 0.0f;
  float startY_ = 0.0f;
  float interval_ = 0.0f;
  float rotation_ = 0.0f;
  SVec3 axis_{0.0f, 0.0f, 1.0f};
  SMatrix view_ = kIdentityMatrix;
  float moveX_ = 0.0f, moveY_ = 0.0f;  // the drift as moved on screen
};
