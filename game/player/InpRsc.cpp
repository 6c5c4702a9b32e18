#include "game/player/InpRsc.h"

#include <new>

SRsc* InpRsc::Create() { return new (std::nothrow) InpRsc(); }

int32_t InpRsc::Main(SProcArg) {
  if (GetStatus() == kRscLoading) SetStatus(kRscReady);
  return 0;
}
