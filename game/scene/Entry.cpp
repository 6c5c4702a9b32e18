#include "game/scene/Entry.h"

#include "game/core/Game.h"

int32_t Entry::Init(SProcArg arg) {
  SetName("Entry");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Entry::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Entry::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->ChangeScene(SCENE_RANKING);
  return 0;
}
