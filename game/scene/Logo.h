#pragma once
// The logo of the attract sequence (scene 4): the logo on a white screen,
// faded in over 60 frames, held, faded out; then the title when credits are
// present, otherwise the next step of the attract counter: the opening for
// odd values, the demo plays of stages 1, 2 and 3 for 2, 4 and 0. A coin, a
// service credit or a free-play start ends it at once.
#include "game/scene/AttractScene.h"
#include "vrax/graphic/SGpObj_Prim.h"

class Logo : public AttractScene {
 public:
  // The show state changes once its count exceeds 180 (182 frames).
  static constexpr int32_t kShowLimit = 180;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  void Prepare() override;
  void DrawScreen() override;

  SGpObj_PrimQuad backdrop_{plat::kFvfPosColour};
  SGpObj_PrimQuad logoQuad_;
};
