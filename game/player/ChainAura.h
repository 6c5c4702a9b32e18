#pragma once
// The chain counter's aura: a glow of three quads that follows the ship in
// play. Its intensity eases in while the ship is in play; its second glow
// swells while the lock-on gauge is full (the chain counter's blink word,
// raised by the in-game display), and the frame the gauge fills it flares
// with a ring, a sprite and a sound. An embedded child of the chain
// counter (its list 0).
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

class ChainAura : public SProc {
 public:
  static constexpr int32_t kDrawKey = 6;  // additive play layer
  // Sound of the gauge's flare.
  static constexpr int32_t kFlareSound = 56;

  // The flare: a ring that follows the aura's matrix for `ringFrames`
  // frames and a sprite at its position; then the glow stands at 0.9.
  void Flare(int32_t ringFrames);

  float intensity = 0.0f;  // a
  float glow = 0.0f;       // b
  // Identity with the player's position; rings of the flare follow it.
  SMatrix matrix = kIdentityMatrix;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  SGpObj_PrimQuad quads_[3];
  SGpState_World world_;
  int32_t frame_ = 0;
};
