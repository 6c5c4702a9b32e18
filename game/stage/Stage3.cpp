#include "game/stage/Stage3.h"

#include "game/core/Game.h"

int32_t Stage3::Init(SProcArg arg) {
  SetName("Stage3");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Stage3::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Stage3::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ClearStageObjects();
  game->ChangeScene(SCENE_STAGE_RESULT);
  return 0;
}
