#include "game/player/EnemyScan.h"

#include "game/core/HitBody.h"
#include "game/enemy/EObjBase.h"

bool EnemyScan::AnyKind2() {
  for (HitBody* b = HitGroupTable[7].Head(); b != nullptr; b = b->NextBody()) {
    if ((b->mask & kHitDashable) == 0 || b->owner == nullptr) continue;
    // Group 7 bodies belong to enemies (their owner is the enemy object).
    const auto* e = static_cast<const EObjBase*>(b->owner);
    if (e->kind == EObjBase::KIND_BOSS) return true;
  }
  return false;
}
