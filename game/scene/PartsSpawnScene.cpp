#include "game/scene/PartsSpawnScene.h"

int32_t PartsSpawnScene::Init(SProcArg) {
  SetName("PartsSpawnScene");
  return 0;
}

int32_t PartsSpawnScene::Draw(SProcArg) {
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t PartsSpawnScene::Main(SProcArg) {
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}
