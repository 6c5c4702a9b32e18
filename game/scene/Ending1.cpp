#include "game/scene/Ending1.h"

#include "game/core/Game.h"

void Ending1::Next(Game& game) {
  game.ChangeScene(SCENE_RANKING);
}
