#include "game/player/DashForm.h"

int32_t DashForm::Init(SProcArg) {
  SetName("DashForm");
  return 0;
}

