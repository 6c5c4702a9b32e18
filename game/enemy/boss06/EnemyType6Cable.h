#pragma once
// The cables of boss type 6: a dotted line sampled from a three-key spline
// from the body through a sagging mid-point (aimed like an arm) to an arm.
#include <cstdint>

#include "game/core/SplineMover.h"
#include "game/enemy/Flasher.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/kernel/SProc.h"

class EnemyType6Cable : public SProc {
 public:
  // The render-state pair both cables enter around their dots: the hit
  // flash's colour packet at full white and its end packet, so the dots
  // draw at full light whatever the layers' lighting.
  struct SharedStates {
    SharedStates();
    FlashColourPacket colour;
    FlashEndPacket end;
  };
  static SharedStates& States();

  static constexpr int32_t kPoints = 512;
  // Four vertices a sample in 512: at most 128 samples are drawn.
  static constexpr int32_t kMaxSamples = 127;
  static constexpr int32_t kDrawKey = 18;

  void SetAnchor(const float* a) { anchor = a; }
  void Aim(float angle, float radius, float rate, const float* tilt);
  // Samples the spline start -> mid-point -> end, one point a frame of its
  // keys' lengths; at most kMaxSamples samples after the first.
  void Rebuild(const float* start, const float* end, float length1, float length2);

  int32_t count = 0;
  const float* anchor = nullptr;
  float points[kPoints][4] = {};
  float mid[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float target[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float current[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float rate = 1.0f;
  SGpObj_PrimQuad prim{0x042};
  SplineMover mover;
  uint8_t visible = 1;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
};
