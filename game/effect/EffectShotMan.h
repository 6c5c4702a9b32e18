#pragma once
// Effect shots: effect sprites that hurt. Each effect shot is a sprite of the
// effect manager plus a collision body of group 9 that rides on the sprite's
// position; it lives exactly as long as its sprite. A hit on the player
// removes the body and lets the sprite fly on. The manager is a process that
// an enemy builds into its behaviour and drives from it (the type-5 enemy
// sprays such shots).
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/core/ObjPool.h"
#include "game/effect/EfxElements.h"
#include "game/tables/EfxSpriteDesc.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class EffectShot : public PoolElement {
 public:
  // The effect sprite that carries it; the shot ends once this is gone.
  SHandle<EfxSprite> sprite;
  HitBody body;
};

class EffectShotMan : public SProc {
 public:
  static constexpr int32_t kCapacity = 128;
  static constexpr int32_t kSheet = 6;

  // Look 0 is set at INIT (the effect-shot animation, white fading from 0.8
  // to 0.6 alpha over 71 frames, then 20 frames out); look 1 stays empty.
  EfxSpriteDesc looks[2];
  float radius[2] = {0.0f, 0.0f};

  // One effect shot at pos with look 0 or 1, turned by angle (turns), scaled,
  // moving by velocity and velocity2 (each may be null), velocity2 damped.
  // Nothing when the pool is full; the cell goes back at once when no sprite
  // can be had.
  void Spawn(const SVec4* pos, int32_t look, float angle, float scaleX, float scaleY, const SVec4* velocity,
             const SVec4* velocity2, float damping);
  // Releases every effect shot (their sprites fly on).
  void ClearAll();

  int32_t LiveCount() const { return live_.Count(); }
  const SObjList& Live() const { return live_; }

 protected:
  int32_t Init(SProcArg arg) override;
  // Releases the shots whose sprite is gone, before the collision tests of
  // the coming frame read a body that rides on nothing.
  int32_t Draw(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  // EVENT_KILL: every effect shot is released.
  int32_t KillChildren(SProcArg arg) override;
  // 7: the effect shot that touched the player is released; 9 and 11: all.
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void ReleaseOrphans();

  SObjList live_;
  ObjPool<EffectShot> pool_;
};
