#include "game/enemy/boss04/EnemyType4.h"

B002Parts::B002Parts(EnemyType4* boss) : BossMountParts(boss, kKind) {}

int32_t B002Parts::Draw(SProcArg) {
  if (node != nullptr && node->GetParent() == nullptr) node->Enter(EnemyBase::kModelKey);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}
