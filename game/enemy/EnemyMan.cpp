#include "game/enemy/EnemyMan.h"

int32_t EnemyMan::Init(SProcArg) {
  SetName("EnemyMan");
  return 0;
}

