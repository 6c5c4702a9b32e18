#include "game/stage/CamRsc.h"

#include <new>

SRsc* CamRsc::Create() { return new (std::nothrow) CamRsc(); }

int32_t CamRsc::Main(SProcArg) {
  if (GetStatus() == kRscLoading) SetStatus(kRscReady);
  return 0;
}
