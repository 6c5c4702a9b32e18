#pragma once
// The particle emitter: a small process that throws sprite particles in fans
// or random sprays at an interval, with speed, turn and interval each easing
// between two values over its run, optionally aimed at the player. Enemy
// code builds it with its values and adds it as a child; it kills itself
// after its last emission. The particles live on in EfxMan.
#include <cstdint>

#include "game/effect/FollowedPosition.h"
#include "game/tables/EfxSpriteDesc.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

class EfxGen : public SProc {
 public:
  enum Flags : uint32_t {
    kAimFirst = 0x10000,   // 0x30000 bits exactly this: the first emission aims
    kAimEvery = 0x20000,   // every emission aims
    kSpray = 0x40000,      // random spray instead of an even fan
    kRandomAngle = 0x1000000,
    kRandomZ = 0x2000000,
  };

  // origin is followed: each emission starts at its current position. It is
  // normally the creator's own position, and the emitter, a child of the
  // creator, ends with it; holder is the object that holds that memory
  // (by default the process whose handler runs; an enemy shot when the
  // emitter rides on one): once it is gone the last position read is kept.
  // A null drift is (0, 1, 0, 1).
  EfxGen(uint32_t sheet, const SVec4* origin, uint32_t flags, const EfxSpriteDesc* look, float baseAngle,
         float turn0, float turn1, float speed0, float speed1, float damping, int32_t count, float spread,
         float scaleX, float scaleY, float interval0, float interval1, int32_t emissions, const SVec4* drift,
         int32_t delay, SObject* holder = GetCurrentProcess());

  int32_t Count() const { return count_; }
  float Spread() const { return spread_; }
  // The followed position, or the last one read once its holder is gone.
  const SVec4* Origin();

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  void Emit(float direction, float speed);

  uint32_t sheet_;
  FollowedPosition origin_;
  uint32_t flags_;
  const EfxSpriteDesc* look_;
  float baseAngle_, turn0_, turn1_, speed0_, speed1_, damping_;
  int32_t count_;
  float spread_, scaleX_, scaleY_, interval0_, interval1_;
  int32_t emissions_;
  SVec4 drift_;
  int32_t delay_;
  float direction_ = 0.0f;
  int32_t counter_ = 0;
  int32_t wait_ = 0;
};
