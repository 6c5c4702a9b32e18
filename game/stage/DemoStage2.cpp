#include "game/stage/DemoStage2.h"

#include "game/core/Game.h"
#include "game/core/CoinCounter.h"

int32_t DemoStage2::Init(SProcArg arg) {
  SetName("Demo2");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  if (Game* game = GetGame()) game->demoPlay = 1;
  return 0;
}

int32_t DemoStage2::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t DemoStage2::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  game->demoPlay = 0;
  const CoinCounter* coins = GetCoinCounter();
  const bool credit = coins && coins->HasCredit();
  if (credit)
    game->ChangeScene(SCENE_TITLE);
  else
    game->ChangeScene(SCENE_TUTORIAL, 0);
  return 0;
}
