#include "game/stage/StageFog.h"

#include "game/core/StageScene.h"
#include "game/stage/RangeTable.h"

int32_t StageFog::Init(SProcArg arg) {
  SetName("StageFog");
  if (const auto* t = reinterpret_cast<const StageFogTables*>(arg)) tables_ = *t;
  // The tables are set: the stage code may read the fog from now on.
  StageSceneStarted = 1;
  SetInitResult(0);
  return 0;
}

int32_t StageFog::Main(SProcArg) {
  if (StageSceneStarted != 0) ApplyStageFog(tables_.path0, tables_.otherPaths);
  return 0;
}
