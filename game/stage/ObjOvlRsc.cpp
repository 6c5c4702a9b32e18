#include "game/stage/ObjOvlRsc.h"

#include <new>

SRsc* ObjOvlRsc::Create() { return new (std::nothrow) ObjOvlRsc(); }

int32_t ObjOvlRsc::Main(SProcArg) {
  if (GetStatus() == kRscLoading) SetStatus(kRscReady);
  return 0;
}
