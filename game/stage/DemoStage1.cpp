#include "game/stage/DemoStage1.h"

#include "game/core/Game.h"
#include "game/core/CoinCounter.h"

int32_t DemoStage1::Init(SProcArg arg) {
  SetName("Demo1");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  if (Game* game = GetGame()) game->demoPlay = 1;
  return 0;
}

int32_t DemoStage1::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t DemoStage1::OnDispose(SProcArg) {
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
