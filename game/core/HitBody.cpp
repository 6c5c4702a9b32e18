#include "game/core/HitBody.h"

HitGroupList HitGroupTable[kHitGroupCount];

HitBody::~HitBody() { Detach(); }

void HitBody::Register(int32_t g, uint32_t m, float* pos, float r, SProc* own, intptr_t pw,
                       uint32_t ax) {
  group = g;
  mask = m;
  position = pos;
  radius = r;
  radiusSq = r * r;
  owner = own;
  power = pw;
  aux = ax;
  disabled = 0;
  // A body registered twice would otherwise sit in two lists (or twice in
  // one): take it out of the old list first.
  Detach();
  if (g >= 0 && g < kHitGroupCount) HitGroupTable[g].PushBack(this);
}
