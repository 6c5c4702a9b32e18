#include "game/scene/Tutorial.h"

#include "game/core/Game.h"

int32_t Tutorial::Init(SProcArg arg) {
  SetName("Tutorial");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Tutorial::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Tutorial::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  if (argument_ == 1)
    game->ChangeScene(SCENE_STAGE, 1);
  else
    game->ChangeScene(SCENE_TITLE);
  return 0;
}
