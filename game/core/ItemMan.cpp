#include "game/core/ItemMan.h"

int32_t ItemMan::Init(SProcArg) {
  SetName("ItemMan");
  return 0;
}

void ItemMan::KillAll() { KillChildrenAll(0); }
