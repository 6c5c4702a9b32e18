#include "game/stage/Stage4.h"

#include "game/core/Game.h"

int32_t Stage4::Init(SProcArg arg) {
  SetName("Stage4");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Stage4::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Stage4::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ClearStageObjects();
  game->ChangeScene(SCENE_STAGE_RESULT);
  return 0;
}
