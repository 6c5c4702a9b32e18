#include "game/scene/StandInScene.h"

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"

int32_t StandInScene::Init(SProcArg arg) {
  SetName(sceneName_);
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  if (Game* game = GetGame()) Started(*game);
  return 0;
}

int32_t StandInScene::Main(SProcArg) {
  if (++frame_ == kFrames) TimeUp();
  return 0;
}

int32_t StandInScene::OnDispose(SProcArg) {
  if (Game* game = GetGame()) Next(*game);
  return 0;
}

bool StandInScene::CreditPresent() {
  const CoinCounter* coins = GetCoinCounter();
  return coins && coins->HasCredit();
}
