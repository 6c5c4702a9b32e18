#include "game/effect/EShotMan.h"

int32_t EShotMan::Init(SProcArg) {
  SetName("EShotMan");
  return 0;
}

void EShotMan::ClearAll(int32_t) { KillChildrenAll(0); }
