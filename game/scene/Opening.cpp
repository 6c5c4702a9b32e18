#include "game/scene/Opening.h"

#include "game/core/Game.h"

int32_t Opening::Init(SProcArg arg) {
  SetName("Opening");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Opening::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Opening::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ChangeScene(SCENE_TITLE);
  return 0;
}
