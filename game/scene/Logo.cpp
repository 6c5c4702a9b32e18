#include "game/scene/Logo.h"

#include "game/core/Game.h"

int32_t AttractCounter = 0;

void Logo::Next(Game& game) {
  if (CreditPresent()) {
    game.ChangeScene(SCENE_TITLE);
    return;
  }
  AttractCounter = (AttractCounter + 1) % 6;
  // Opening and the demo plays of stages 1, 2 and 3 take turns.
  static constexpr int32_t kDemo[6] = {103, 0, 101, 0, 102, 0};
  if (kDemo[AttractCounter] != 0)
    game.ChangeScene(SCENE_STAGE, kDemo[AttractCounter]);
  else
    game.ChangeScene(SCENE_OPENING);
}
