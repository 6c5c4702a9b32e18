#include "game/effect/EfxMan.h"

int32_t EfxMan::Init(SProcArg) {
  SetName("EfxMan");
  return 0;
}

void EfxMan::ClearAll() { KillChildrenAll(0); }
