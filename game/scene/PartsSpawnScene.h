#pragma once
// Scene 15: spawns a scene-parts object every 64 frames. Not built yet: it
// only names itself and passes the frame events to its children.
#include "vrax/kernel/SProc.h"

class PartsSpawnScene : public SProc {
 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
};
