#pragma once
// "B004::Kage": a shadow double of boss type 6, its model on a scene node of
// its own, gliding between the body and the corners of the screen. Shadows
// flicker: each is drawn every other frame.
#include <cstdint>

#include "game/core/ValueAnimator.h"
#include "game/enemy/ModelInstance.h"
#include "game/stage/ScriptStgRsc.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/kernel/SProc.h"

class EnemyType6Kage : public SProc {
 public:
  static constexpr int32_t kDrawKey = 19;

  // Glides to the point at `rate` a frame; a rate of exactly 1.0 jumps.
  void Glide(const float* point, float rate);
  // Plays a stretch of the model's animation (a route entry).
  void TakeMotion(const RouteEntry* e);
  const float* Position() const { return position; }

  ModelInstance model;
  SGpNode node;
  ValueAnimator motion;
  float limit = 0.0f;
  float time = 0.0f;
  uint8_t visible = 0;
  float* position = spare_;
  float current[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float target[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float rate = 1.0f;
  int32_t flicker = 0;

 protected:
  // Argument: the flicker's start value.
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  float spare_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};
