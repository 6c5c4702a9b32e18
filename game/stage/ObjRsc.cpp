#include "game/stage/ObjRsc.h"

#include <new>

SRsc* ObjRsc::Create() { return new (std::nothrow) ObjRsc(); }

int32_t ObjRsc::Main(SProcArg) {
  if (GetStatus() == kRscLoading) SetStatus(kRscReady);
  return 0;
}
