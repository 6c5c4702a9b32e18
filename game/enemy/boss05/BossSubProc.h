#pragma once
// The fan emitter of boss type 5: on every second frame it fires a fan of
// `count` shots spread evenly over `spread` turns about its centre angle,
// the middle shots the fastest, one shot fewer each time while the fans
// narrow, and ends itself after its fan of two.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class BossSubProc : public SProc {
 public:
  BossSubProc(const float* origin, uint32_t code, float centre, float speed, int32_t count, float spread);

  float origin[4] = {};
  uint32_t code = 0;
  float centre = 0.0f;
  float speed = 0.0f;
  int32_t count = 0;
  float spread = 0.0f;
  int32_t frame = 0;
  float initialCount = 0.0f;
  float fanNumber = 0.0f;

  // Fires one fan of n shots (n < 2: a single shot at the centre angle).
  void Fan(int32_t n) const;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
};
