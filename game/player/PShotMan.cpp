#include "game/player/PShotMan.h"

int32_t PShotMan::Init(SProcArg) {
  SetName("PShotMan");
  return 0;
}

void PShotMan::ClearShots() { KillChildrenAll(0); }
