#pragma once
// Two light shafts falling from the top of the screen onto boss type 15 as
// it descends: each a four-vertex strip bright only at its top centre. They
// fade in over 120 frames with the screen brightening, and on kEventFadeOut
// fade out over 60 frames with the screen and end.
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/kernel/SProc.h"

class BossLightShafts : public SProc {
 public:
  enum : int32_t { FADE_IN = 0, SHINING = 1, FADE_OUT = 2 };
  static constexpr int32_t kDrawKey = 6;
  static constexpr int32_t kFadeIn = 120, kFadeOut = 60;
  // The user event that starts the fade-out.
  static constexpr int32_t kEventFadeOut = 8;

  float alpha = 0.0f;
  int32_t mode = FADE_IN;
  int32_t counter = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void Build(SGpObj_PrimQuad& p, float side);

  SGpObj_PrimQuad left_{0x042};
  SGpObj_PrimQuad right_{0x042};
};

// Rebounds every live enemy shot of that id from the left, right and top
// edges of the play area (not the bottom); speeds stay.
void BounceShots(int32_t id);
