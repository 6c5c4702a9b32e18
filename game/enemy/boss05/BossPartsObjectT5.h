#pragma once
// The defeat show of boss type 5: 405 frames of explosions on the model's
// nodes and arcs of fire, the destroyed parts hidden one after another, the
// wreck shrinking while its core turns green; at frame 405 it lets the
// rail's arena loop go and ends the boss.
#include <cstdint>

#include "game/enemy/BossPartsObject.h"
#include "game/enemy/Flasher.h"
#include "vrax/graphic/SMath.h"

class BossPartsObjectT5 : public BossPartsObject {
 public:
  static constexpr int32_t kEndFrame = 405;

  explicit BossPartsObjectT5(ModelInstance* model);

  SGpState_Ambient ambient;
  AmbientPush push;
  AmbientPop pop;
  float arcStart[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float arcEnd[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  // The wreck's scale, set each frame of its shrinking and kept after it;
  // applied to the top node in every draw step.
  float shrink = 1.0f;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void Frame();
  // An arc of fire from the arc start: x eased by `ex` (0: linear).
  void Arc(int32_t a, int32_t b, int32_t node, const float* towards, bool swing);
  SVec4 Point(int32_t n);
  void Hide(int32_t n);
};
