#include "game/scene/Ranking.h"

#include "game/core/Game.h"

void Ranking::Next(Game& game) {
  game.ChangeScene(CreditPresent() ? SCENE_TITLE : SCENE_LOGO);
}
