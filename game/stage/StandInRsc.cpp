#include "game/stage/StandInRsc.h"

int32_t StandInRsc::Main(SProcArg) {
  if (GetStatus() == kRscLoading) SetStatus(kRscReady);
  return 0;
}
