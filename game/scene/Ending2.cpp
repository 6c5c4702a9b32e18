#include "game/scene/Ending2.h"

#include "game/core/Game.h"

void Ending2::Next(Game& game) {
  game.ChangeScene(SCENE_RANKING);
}
