#include "game/scene/Ending1.h"

#include "game/core/Game.h"

int32_t Ending1::Init(SProcArg arg) {
  SetName("Ending1");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Ending1::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Ending1::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ChangeScene(SCENE_RANKING);
  return 0;
}
