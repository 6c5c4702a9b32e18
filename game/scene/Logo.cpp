#include "game/scene/Logo.h"

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"

int32_t AttractCounter = 0;

int32_t Logo::Init(SProcArg) {
  SetName("Logo");
  frame_ = 0;
  return 0;
}

int32_t Logo::Main(SProcArg) {
  if (++frame_ >= kFrames) Kill(0);
  return 0;
}

int32_t Logo::OnDispose(SProcArg) {
  Game* game = GetGame();
  if (!game) return 0;
  const CoinCounter* coins = GetCoinCounter();
  if (coins && coins->HasCredit()) {
    game->ChangeScene(SCENE_TITLE);
    return 0;
  }
  AttractCounter = (AttractCounter + 1) % 6;
  // Opening and the demo plays of stages 1, 2 and 3 take turns.
  static constexpr int32_t kDemo[6] = {103, 0, 101, 0, 102, 0};
  if (kDemo[AttractCounter] != 0)
    game->ChangeScene(SCENE_STAGE, kDemo[AttractCounter]);
  else
    game->ChangeScene(SCENE_OPENING);
  return 0;
}
