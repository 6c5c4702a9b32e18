#include "game/player/EnemyScan.h"

#include "game/core/HitBody.h"
#include "game/enemy/EObjBase.h"

bool EnemyScan::AnyKind2() {
  for (HitBody* b = HitGroupTable[7].Head(); b != nullptr; b = b->NextBody()) {
    if ((b->mask & kHitDashable) == 0 || b->owner == nullptr) continue;
    const auto* e = dynamic_cast<const EObjBase*>(b->owner);
    if (e != nullptr && e->classKind == EObjBase::KIND_BOSS) return true;
  }
  return false;
}
