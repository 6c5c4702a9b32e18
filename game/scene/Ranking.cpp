#include "game/scene/Ranking.h"

#include "game/core/Game.h"
#include "game/core/CoinCounter.h"

int32_t Ranking::Init(SProcArg arg) {
  SetName("Ranking");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Ranking::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Ranking::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  const CoinCounter* coins = GetCoinCounter();
  const bool credit = coins && coins->HasCredit();
  game->ChangeScene(credit ? SCENE_TITLE : SCENE_LOGO);
  return 0;
}
