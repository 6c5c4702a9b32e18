#include "game/scene/StageResult.h"

#include "game/core/Game.h"

int32_t StageResult::Init(SProcArg arg) {
  SetName("StageResult");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t StageResult::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t StageResult::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ChangeScene(SCENE_STAGE, game->stage + 1);
  return 0;
}
