#include "game/stage/CStage1.h"

#include "game/core/Game.h"

int32_t CStage1::Init(SProcArg arg) {
  SetName("Stage1");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t CStage1::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t CStage1::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ClearStageObjects();
  game->ChangeScene(SCENE_STAGE_RESULT);
  return 0;
}
