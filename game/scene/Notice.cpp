#include "game/scene/Notice.h"

#include "game/core/Game.h"
#include "game/core/CoinCounter.h"

int32_t Notice::Init(SProcArg arg) {
  SetName("Notice");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Notice::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Notice::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  const CoinCounter* coins = GetCoinCounter();
  const bool credit = coins && coins->HasCredit();
  game->ChangeScene(credit ? SCENE_TITLE : SCENE_LOGO);
  return 0;
}
