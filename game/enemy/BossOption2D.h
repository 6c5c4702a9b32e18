#pragma once
// "Boss Option2D": a sprite satellite of a boss. It glides towards the goal
// its boss's script gives it, plays its sprite animation, fades in over 45
// frames, and when its boss is defeated or grabbed (codes 8, 9 and 11, which
// the boss passes to its child list 2) fades out over 60 frames and ends
// itself. It carries no collision body; scripts fire from its position.
//
// Scripts keep satellites as handles (Spawn, ChildSlots): a satellite ends
// itself after its fade-out, and one that could not be made is no satellite.
#include <cstdint>

#include "game/enemy/OptionGlide.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class BossOption2D : public SProc {
 public:
  enum : int32_t { FADE_IN = 0, SHOWN = 1, FADE_OUT = 2 };
  static constexpr int32_t kFadeInFrames = 45;
  static constexpr int32_t kFadeOutFrames = 60;
  static constexpr int32_t kDrawKey = 7;
  // The list of its boss it joins.
  static constexpr int32_t kBossList = 2;

  // A new satellite in child list 2 of the boss, animated from keys; null
  // when it could not be made.
  static BossOption2D* Spawn(SProc* boss, const SGpKeyList* keys);

  void SetTarget(const float* v, float rate) { glide.SetTarget(v, rate); }
  void SetPolarTarget(float angle, float radius, float rate) { glide.SetPolarTarget(angle, radius, 0.0f, rate); }
  const float* Position() const { return glide.current; }
  const SGpObj_PrimQuad& Quad() const { return quad; }

  OptionGlide glide;
  SGpObj_PrimQuad quad;
  SGpKeyTrack track;
  int32_t fadeMode = FADE_IN;
  int32_t fadeCount = 0;
  float alpha = 0.0f;

 protected:
  // Argument: the key list.
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  // Where the anchor points when the parent has no position of its own.
  float ownAnchor_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};

// The anchor an option takes from its parent: the parent enemy's live
// position, or `fallback` when the parent is no enemy.
const float* OptionAnchor(SProc* parent, const float* fallback);
