#pragma once
// Enemy type 1: a model enemy with a model animation. All it does comes from
// its stage data (the default behaviour and script step of EObjBase); the
// value animator is the animation time.
#include <cstdint>

#include "game/enemy/EObjBase.h"
#include "game/enemy/ModelInstance.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/resource/SRsc_Image.h"

class EnemyType1 : public EObjBase {
 public:
  static constexpr int32_t kKeyNear = 19;
  static constexpr int32_t kKeyFar = 22;

  void Flash(const float* colour, uint8_t hold) override;
  // Placement rotation = Rz Ry Rx of the three angles; translation kept.
  void BuildRotation();
  // Animation time = the value animator clamped to the track; pose applied.
  void ApplyAnimation();

  ModelInstance model;
  SRsc_Model* modelRsc = nullptr;
  float trackLength = 0.0f;
  float trackTime = 0.0f;
  SRsc_Image* texture = nullptr;
  SGpNode placement;

 protected:
  // Argument: the image and model slot pair (EnemyRscSlots entry).
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  uint8_t listed_ = 0;
};
