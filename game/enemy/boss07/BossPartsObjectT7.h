#pragma once
// The defeat show of boss type 7 on the boss's own model: bursts and sparks
// at its nodes, the wreck sinking and drifting with its pieces shrinking
// away phase by phase, the stage-clear event to the game at frames 320 and
// 560, and at frame 560 the end of the boss body.
#include <cstdint>

#include "game/enemy/BossPartsObject.h"
#include "game/enemy/Flasher.h"
#include "vrax/graphic/SMath.h"

class BossPartsObjectT7 : public BossPartsObject {
 public:
  // The frame at which the body is ended.
  static constexpr int32_t kEndFrame = 560;

  explicit BossPartsObjectT7(ModelInstance* model);

  // The hit flash's pair around the wreck's drawing, at full white: the
  // colour packet first on the model's root, the end packet last on the
  // last node its tree draws (hung at set-up).
  FlashColourPacket colour;
  FlashEndPacket end;
  SMatrix savedRoot = kIdentityMatrix;
  float pointA[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float pointB[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float startAngles[4] = {};
  float targetAngles[4] = {};

 protected:
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void SetUp();
  void Frame();
  void Opening(int32_t count);
  void Sparks(const float* from, float dx, float dy, int32_t last);
  void Drift(int32_t count);
  void Fall(int32_t count);
  void Tail();
  // P(n): node n's world position projected to depth 0.
  SVec4 Point(int32_t n);
  // Node n's world position (not projected).
  SVec4 WorldAt(int32_t n);
  // The spark of a fan at node n with angles (z, x), number i (-3..3).
  SMatrix FanSpark(int32_t n, int i, float z, float x);
  void Burst(int32_t n);
  float* Offset() { return &savedRoot.m[3][0]; }
  void SetRootRotation(const float* turns);
};
