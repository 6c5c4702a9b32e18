#pragma once
// The thunder emitter: a process that an enemy adds for each lightning
// attack. After its delay it starts `bolts` bolts in its EThunderMan, one
// every bolt period, at its owner's position plus an offset, with start and
// end angles interpolated over the attack, then kills itself.
#include <cstdint>

#include "game/effect/EThunderMan.h"
#include "game/effect/FollowedPosition.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class EThunderGen : public SProc {
 public:
  // ownerPos points at the owner's (x, y, z, w), read at every bolt; holder
  // is the object that holds it (by default the process whose handler
  // runs): once it is gone the last position read is kept.
  EThunderGen(EThunderMan* manager, const float* ownerPos, float width, float startFrom, float startTo,
              float endFrom, float endTo, float turnTime, float speed, int32_t tips, int32_t tipPeriod,
              int32_t bolts, int32_t boltPeriod, float offsetX, float offsetY, int32_t delay, int32_t value,
              SObject* holder = GetCurrentProcess());

  float width = 0.0f;
  float startFrom = 0.0f, startTo = 0.0f;
  float endFrom = 0.0f, endTo = 0.0f;
  float turnTime = 0.0f;
  float speed = 0.0f;
  int32_t tips = 0;
  int32_t tipPeriod = 0;
  int32_t bolts = 0;
  int32_t boltPeriod = 0;
  float offsetX = 0.0f, offsetY = 0.0f;
  int32_t delay = 0;
  int32_t value = 0;  // kept; it has no effect
  int32_t countdown = 0;
  int32_t index = 0;  // bolts started so far

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  SHandle<EThunderMan> manager_;
  FollowedPosition owner_;
};
