#pragma once
// The staged explosion: a typed explosion that throws a first burst at its
// start and then, frame by frame, puffs, smoke, flames and further
// explosions of its own class until its time is up. Type 8 is a boss's death:
// 290 frames of explosions of types 1, 3 and 4 around the boss, sounds, two
// imploding rings, a screen-wide flash and a finale of types 5, 6 and 7.
// The explosions a type-8 process starts are children of its own creator.
#include <cstdint>

#include "game/effect/EfxProc.h"

class EfxProcG : public SProc {
 public:
  EfxProcG(const SVec4* pos, int32_t type, float scale, const SMatrix* orientation);

  int32_t Type() const { return type_; }
  const SVec4& Position() const { return pos_; }
  const SMatrix& Orientation() const { return orient_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  void Puff(const SVec4& at, float spin, float size, const SVec4* velocity, const SVec4* velocity2);
  void Glow(const SVec4& at, float spin, float size, const SVec4* velocity, const SVec4* velocity2);
  // One debris streak from the position at angle (turns) and distance.
  void Debris(float angle, float dist);
  // count sparks: distance (r x spread + spreadBase) x the scale (x
  // distScale), size r x sizeScale + sizeBase.
  void Sparks(int32_t count, float spread, float spreadBase, float sizeScale, float sizeBase);
  void Sparks(const SVec4& at, int32_t count, float spread, float spreadBase, float distScale, float sizeScale,
              float sizeBase);
  void RingBurst();
  void TravelDirection();
  void FirstBurst(float spin);
  void StepBoss(float spin);
  void Finale();
  // Starts an explosion as a sibling (a child of this one's creator).
  void Sibling(const SVec4& at, int32_t type, float scale);

  int32_t type_;
  float scale_;
  float baseAngle_ = 0.0f;
  SVec4 pos_;
  SMatrix orient_;
  float travel_[2] = {0.0f, 0.0f};
  int32_t steps_ = 0;
  int32_t counter_ = 0;
  bool hasOrientation_ = false;
};
