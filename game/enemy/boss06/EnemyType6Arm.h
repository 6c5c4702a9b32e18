#pragma once
// The arm pods of boss type 6: a model hanging beside the body that eases
// towards the point its body aims it at and hurts the player on contact.
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/enemy/Flasher.h"
#include "game/enemy/ModelInstance.h"
#include "game/tables/enemy_tables.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

// The point at angle a (turns) and radius r round the anchor, the offset
// turned by the tilt angles (turns about x, y and z).
void AimAround(float* out, const float* anchor, float a, float r, const float* tilt);
// current += (target - current) x rate (a rate of exactly 1.0 jumps).
void EaseTo(float* current, const float* target, float rate);

class EnemyType6Arm : public SProc {
 public:
  static constexpr int32_t kDrawKey = 19;

  // anchor: the body model's node 47 translation (read live).
  void SetAnchor(const float* a) { anchor = a; }
  void Aim(float angle, float radius, float rate, const float* tilt);

  HitBody body;
  ModelInstance model;
  // The flash pair around its draw, at full white (set at INIT).
  FlashColourPacket colour;
  FlashEndPacket end;
  const float* anchor = nullptr;
  float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float current[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float target[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float rate = 1.0f;
  float angles[3] = {};
  SImageSlot* image = nullptr;
  uint8_t visible = 1;

 protected:
  // Argument: the EnemyRscSlotPair of its image and model.
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
};
