#include "game/stage/TnlRsc.h"

#include <new>

SRsc* TnlRsc::Create() { return new (std::nothrow) TnlRsc(); }

int32_t TnlRsc::Main(SProcArg) {
  if (GetStatus() == kRscLoading) SetStatus(kRscReady);
  return 0;
}
