#pragma once
// The defeat show of boss type 14: a burst at the core, a chain of random
// explosions growing over four seconds while the wreck shakes and its core
// shrinks, three parts blown off one after the other, a last blast, the
// boss-beaten signal to the game at frame 340, the wreck sinking away and
// vanishing at frame 460. The companion then only ticks: it ends with the
// boss, which holds the enemy timeline until the stage ends.
#include <cstdint>

#include "game/enemy/BossPartsObject.h"
#include "game/enemy/NodeScalePackets.h"
#include "vrax/graphic/SMath.h"

class BossPartsObjectT14 : public BossPartsObject {
 public:
  // Frames of the show.
  static constexpr int32_t kBeaten = 340;
  static constexpr int32_t kVanish = 460;
  // Model nodes: the core, the parts blown off, the points bursts start at.
  static constexpr int32_t kCore = 3, kFirstBurst = 30, kLeftPart = 14, kRightPart = 8, kLastPart = 5;
  static constexpr int32_t kHiddenFirst = 25, kHiddenSecond = 20, kHiddenThird = 5;

  explicit BossPartsObjectT14(ModelInstance* model) : BossPartsObject(model) {}

  SMatrix savedRoot = kIdentityMatrix;
  float offset[3] = {0.0f, 0.0f, 0.0f};
  float shakeTarget[2] = {0.0f, 0.0f};
  float blastStart[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float blastEnd[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  NodeScalePackets core;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void SetUp();
  void Frame();
  // The flying-part windows: a burst gliding from blastStart to blastEnd.
  void PartFlight(float r);
  void ChainExplosion(float r);
  void HideParts();
};
