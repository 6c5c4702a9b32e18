#include "game/scene/Title.h"

#include "game/core/Game.h"

void Title::Next(Game& game) {
  game.ChangeScene(SCENE_RANKING);
}
