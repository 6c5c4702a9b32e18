#pragma once
// The sky layer of stage 4, a process in the stage scene's child list 0: a
// drifting cloud layer over the first 1000 rail units, a hole layer over the
// middle of the stage (2000 to 2450 and 3000 to 3550), the white flash as
// the rail passes 6999 and, from there on, the sun's lens flare.
#include <cstdint>

#include "game/core/ScrollLayer.h"
#include "game/stage/LensFlare.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SProc.h"

class Stage4Sky : public SProc {
 public:
  // The layer's draw key and the flare's effect sheet.
  static constexpr int32_t kLayerKey = 24;
  static constexpr uint32_t kFlareSheet = 13;

  bool Shown() const { return shown_ != 0; }
  float Alpha() const { return alpha_; }
  const ScrollLayer& Layer() const { return layer_; }
  // Whether the layer was last set up as the hole layer.
  bool HoleLayer() const { return hole_; }

  // The sun's place on the screen through the rail camera's view and
  // projection: (480 X / W, -640 Y / W).
  static SVec2 SunOnScreen();
  // A flare element's alpha for a light at screen distance d (EdgeDistance):
  // alpha x (1 - min(d, 1600) x 0.000625), clamped to 0..1.
  static float FlareAlpha(float alpha, int32_t d);

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  // The cloud layer of the start, or the hole layer of the middle part.
  void SetUpClouds();
  void SetUpHole();

  uint8_t shown_ = 0;
  float alpha_ = 0.0f;
  bool hole_ = false;
  ScrollLayer layer_;
  SGpState_View secondView_;
  // The flare without the glow on the light itself.
  LensFlare flare_{1};
};
