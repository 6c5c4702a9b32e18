#include "game/stage/ScriptStgRsc.h"

#include <new>

SRsc* ScriptStgRsc::Create() { return new (std::nothrow) ScriptStgRsc(); }

int32_t ScriptStgRsc::Main(SProcArg) {
  if (GetStatus() == kRscLoading) SetStatus(kRscReady);
  return 0;
}
