#include "game/scene/Title.h"

#include "game/core/Game.h"

int32_t Title::Init(SProcArg arg) {
  SetName("Title");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Title::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Title::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ChangeScene(SCENE_RANKING);
  return 0;
}
