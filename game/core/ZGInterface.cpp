#include "game/core/ZGInterface.h"

int32_t ZGInterface::Init(SProcArg) {
  SetName("ZGInterface");
  return 0;
}

