#pragma once
// "Boss Option3D": a model satellite of a boss. It glides towards the goal
// its boss's script gives it, moving its model's root with it, and ends
// with its boss. It carries no collision body.
#include <cstdint>

#include "game/enemy/ModelInstance.h"
#include "game/enemy/OptionGlide.h"
#include "game/tables/enemy_tables.h"
#include "vrax/kernel/SProc.h"

class BossOption3D : public SProc {
 public:
  static constexpr int32_t kDrawKey = 19;
  static constexpr int32_t kBossList = 2;

  // A new satellite in child list 2 of the boss showing the image and model
  // of the slot pair; null when it could not be made.
  static BossOption3D* Spawn(SProc* boss, const EnemyRscSlotPair* pair);

  void SetTarget(const float* v, float rate) { glide.SetTarget(v, rate); }
  void SetPolarTarget(float angle, float radius, float rate) { glide.SetPolarTarget(angle, radius, 0.0f, rate); }
  void SetPolarTarget3(float angle, float radius, float dz, float rate) {
    glide.SetPolarTarget(angle, radius, dz, rate);
  }
  // The model root's translation (its own spare row when no model is bound).
  const float* Position() const { return position; }

  OptionGlide glide;
  ModelInstance model;
  // The image slot of its pair (read when drawing: the image may go).
  SImageSlot* image = nullptr;
  float* position = spare_;

 protected:
  // Argument: an EnemyRscSlotPair (image slot, model slot), or 0.
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  float spare_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float ownAnchor_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};
