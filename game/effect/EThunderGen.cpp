#include "game/effect/EThunderGen.h"

EThunderGen::EThunderGen(EThunderMan* manager, const float* ownerPos, float width_, float startFrom_,
                         float startTo_, float endFrom_, float endTo_, float turnTime_, float speed_,
                         int32_t tips_, int32_t tipPeriod_, int32_t bolts_, int32_t boltPeriod_, float offsetX_,
                         float offsetY_, int32_t delay_, int32_t value_, SObject* holder)
    : width(width_),
      startFrom(startFrom_),
      startTo(startTo_),
      endFrom(endFrom_),
      endTo(endTo_),
      turnTime(turnTime_),
      speed(speed_),
      tips(tips_),
      tipPeriod(tipPeriod_),
      bolts(bolts_),
      boltPeriod(boltPeriod_),
      offsetX(offsetX_),
      offsetY(offsetY_),
      delay(delay_),
      value(value_),
      manager_(manager) {
  owner_.Set(ownerPos, holder);
}

int32_t EThunderGen::Init(SProcArg) {
  SetName("EThunderGen");
  countdown = 0;
  index = 0;
  SetInitResult(0);
  return 0;
}

int32_t EThunderGen::Main(SProcArg) {
  if (delay > 0) {
    --delay;
    return 0;
  }
  if (countdown > 0) {
    --countdown;
    return 0;
  }
  EThunderMan* man = LiveProc(manager_);
  // Without bolts (or a manager to emit into) the attack is over at once.
  if (bolts <= 0 || man == nullptr) {
    Kill(0);
    return 0;
  }
  const float* o = owner_.Read();
  const float pos[4] = {o[0] + offsetX, o[1] + offsetY, o[2], o[3]};
  const float t = static_cast<float>(index) / static_cast<float>(bolts);
  man->Emit(pos, width, startFrom + (startTo - startFrom) * t, endFrom + (endTo - endFrom) * t, turnTime, speed,
            tips, tipPeriod);
  ++index;
  if (index >= bolts) {
    Kill(0);
    return 0;
  }
  countdown = boltPeriod - 1;
  return 0;
}
